/* Writes the colour profiles the photos of this folder carry, through lcms2:
 *   adobergb.icc   RGB with the primaries, white and gamma (563/256) of Adobe RGB (1998)
 *   displayp3.icc  RGB with the primaries of Display P3, D65 white and the sRGB curve
 *   srgb.icc       lcms2's own sRGB, the target of ImageMagick's reference conversions
 *   greylinear.icc a grey profile with a linear curve (gamma 1), lighter than sRGB's grey
 *   cmyk.icc       a small CMYK input profile: ink to light as (1 − ink)(1 − black) per channel,
 *                  then darkened by a curve (light^1.3), so that it draws unlike the plain conversion
 * cc make-profiles.c -llcms2 -lm -o make-profiles && ./make-profiles */
#include <lcms2.h>
#include <math.h>

static cmsHTRANSFORM toLab;

static int Sample(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    (void)cargo;
    double rgb[3];
    const double k = in[3] / 65535.0;
    for (int i = 0; i < 3; ++i)
        rgb[i] = pow((1 - in[i] / 65535.0) * (1 - k), 1.3);
    cmsCIELab lab;
    cmsDoTransform(toLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return 1;
}

static void Rgb(const char* file, const char* name, cmsCIExyYTRIPLE primaries, cmsToneCurve* curve)
{
    const cmsCIExyY white = {0.3127, 0.3290, 1};
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU* description = cmsMLUalloc(NULL, 1);
    cmsMLUsetASCII(description, "en", "US", name);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsSaveProfileToFile(profile, file);
    cmsMLUfree(description);
    cmsCloseProfile(profile);
}

int main(void)
{
    const cmsCIExyYTRIPLE adobe = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    const cmsCIExyYTRIPLE p3 = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    Rgb("adobergb.icc", "Test RGB with Adobe RGB (1998) primaries", adobe, cmsBuildGamma(NULL, 563.0 / 256));
    Rgb("displayp3.icc", "Test RGB with Display P3 primaries", p3, cmsBuildParametricToneCurve(NULL, 4, srgbCurve));

    cmsHPROFILE grey = cmsCreateGrayProfile(cmsD50_xyY(), cmsBuildGamma(NULL, 1.0));
    cmsMLU* greyName = cmsMLUalloc(NULL, 1);
    cmsMLUsetASCII(greyName, "en", "US", "Test grey, linear");
    cmsWriteTag(grey, cmsSigProfileDescriptionTag, greyName);
    cmsSaveProfileToFile(grey, "greylinear.icc");

    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsSaveProfileToFile(srgb, "srgb.icc");

    cmsHPROFILE lab = cmsCreateLab4Profile(NULL);
    toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
    cmsHPROFILE cmyk = cmsCreateProfilePlaceholder(NULL);
    cmsSetProfileVersion(cmyk, 4.3);
    cmsSetDeviceClass(cmyk, cmsSigInputClass);
    cmsSetColorSpace(cmyk, cmsSigCmykData);
    cmsSetPCS(cmyk, cmsSigLabData);
    cmsPipeline* lut = cmsPipelineAlloc(NULL, 4, 3);
    cmsStage* clut = cmsStageAllocCLut16bit(NULL, 5, 4, 3, NULL);
    cmsStageSampleCLut16bit(clut, Sample, NULL, 0);
    cmsPipelineInsertStage(lut, cmsAT_BEGIN, cmsStageAllocToneCurves(NULL, 4, NULL));
    cmsPipelineInsertStage(lut, cmsAT_END, clut);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(NULL, 3, NULL));
    cmsWriteTag(cmyk, cmsSigAToB0Tag, lut);
    cmsWriteTag(cmyk, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsMLU* description = cmsMLUalloc(NULL, 1);
    cmsMLUsetASCII(description, "en", "US", "Test CMYK, plain inks darkened");
    cmsWriteTag(cmyk, cmsSigProfileDescriptionTag, description);
    cmsSaveProfileToFile(cmyk, "cmyk.icc");
    return 0;
}
