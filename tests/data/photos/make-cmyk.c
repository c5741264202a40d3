/* Writes a CMYK JPEG as Photoshop does: four components stored as they are (no YCCK transform) with
 * an Adobe marker, the values inverted (255 − ink).
 *   make-cmyk WIDTH HEIGHT < ink.cmyk > out.jpg   (ink.cmyk: 8-bit C, M, Y, K per pixel, rows from the top)
 * cc make-cmyk.c -ljpeg -o make-cmyk */
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const int width = atoi(argv[1]), height = atoi(argv[2]);
    unsigned char* pixels = malloc((size_t)width * height * 4);
    if (!pixels || fread(pixels, 4, (size_t)width * height, stdin) != (size_t)width * height)
        return 1;
    for (size_t i = 0; i < (size_t)width * height * 4; ++i)
        pixels[i] = (unsigned char)(255 - pixels[i]);
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, stdout);
    info.image_width = (JDIMENSION)width;
    info.image_height = (JDIMENSION)height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_CMYK);
    info.write_Adobe_marker = TRUE;
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = pixels + (size_t)info.next_scanline * width * 4;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    free(pixels);
    return 0;
}
