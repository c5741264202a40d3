#!/bin/sh
# Makes every picture of this folder from its source: name.emf as the writing program exports it,
# and name.png, the same program's own rendering of the same source over the EMF's frame at 96 dpi.
# Needs Inkscape 1.2, LibreOffice 7.4 (Draw, Calc and python3-uno) and fonts-noto-cjk. The build and
# the tests never run it: they read what it made.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inkscape: the page is the EMF's frame (user units are pixels at 96 dpi). Text stays text (not
# outlines) and horizontal or vertical linear gradients on rectangles are written as GRADIENTFILL.
mkdir -p "$work/inkscape"
cat > "$work/inkscape/preferences.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<inkscape version="1" xmlns:sodipodi="http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd"
          xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape">
  <group id="extensions"
     org.inkscape.output.emf.textToPath="false"
     org.inkscape.output.emf.TnrToSymbol="false"
     org.inkscape.output.emf.FixPPTLinGrad="true" />
</inkscape>
EOF
for name in ink-shapes ink-dashes ink-zigzag ink-text ink-gradient ink-clip ink-hatch; do
    INKSCAPE_PROFILE_DIR="$work/inkscape" inkscape --export-type=emf --export-filename="$name.emf" "$name.svg"
    INKSCAPE_PROFILE_DIR="$work/inkscape" inkscape --export-type=png --export-dpi=96 --export-area-page \
        --export-filename="$name.png" "$name.svg"
done

# LibreOffice Draw: the page (no margins) is the EMF's frame; the PNG is the page in the pixels of
# its size at 96 dpi.
profile="-env:UserInstallation=file://$work/libreoffice"
for entry in lo-hatch:480x336 lo-gradient:480x336 lo-photo:480x336 lo-text:480x336 lo-table:480x300 \
             lo-menu:768x576; do
    name=${entry%%:*}
    size=${entry#*:}
    soffice "$profile" --headless --convert-to emf "$name.fodg"
    soffice "$profile" --headless --convert-to \
        "png:draw_png_Export:{\"PixelWidth\":{\"type\":\"long\",\"value\":\"${size%x*}\"},\"PixelHeight\":{\"type\":\"long\",\"value\":\"${size#*x}\"}}" \
        "$name.fodg"
done

# LibreOffice Calc: the chart of the sheet, exported as File > Export does with the chart selected;
# its EMF frame is the chart's frame and so is the PNG's area.
/usr/bin/python3 - "$work/libreoffice" lo-chart.fods lo-chart.emf lo-chart.png <<'EOF'
import os, subprocess, sys, time
import uno
from com.sun.star.beans import PropertyValue

def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p

profile = sys.argv[1]
source, emf, png = (os.path.abspath(a) for a in sys.argv[2:5])
office = subprocess.Popen(['soffice', '-env:UserInstallation=file://' + profile, '--headless', '--invisible',
                           '--norestore', '--accept=pipe,name=vktpictures;urp;'])
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext('com.sun.star.bridge.UnoUrlResolver', local)
for attempt in range(150):
    try:
        context = resolver.resolve('uno:pipe,name=vktpictures;urp;StarOffice.ComponentContext')
        break
    except Exception:
        time.sleep(0.2)
desktop = context.ServiceManager.createInstanceWithContext('com.sun.star.frame.Desktop', context)
document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), '_blank', 0, (prop('Hidden', True),))
chart = document.Sheets.getByIndex(0).DrawPage.getByIndex(0)
width = round(chart.Size.Width * 96 / 2540)
height = round(chart.Size.Height * 96 / 2540)
export = context.ServiceManager.createInstanceWithContext('com.sun.star.drawing.GraphicExportFilter', context)
export.setSourceDocument(chart)
export.filter((prop('URL', uno.systemPathToFileUrl(emf)), prop('MediaType', 'image/x-emf')))
export.filter((prop('URL', uno.systemPathToFileUrl(png)), prop('MediaType', 'image/png'),
               prop('FilterData', (prop('PixelWidth', width), prop('PixelHeight', height)))))
document.close(True)
try:
    desktop.terminate()
except Exception:
    pass
office.wait(timeout=60)
EOF

# Serif and Mincho faces (ink-serif, lo-serif, lo-serif-page). These need LibreOffice Writer and
# fonts-liberation (Liberation Serif) too.
INKSCAPE_PROFILE_DIR="$work/inkscape" inkscape --export-type=emf --export-filename=ink-serif.emf ink-serif.svg
INKSCAPE_PROFILE_DIR="$work/inkscape" inkscape --export-type=png --export-dpi=96 --export-area-page \
    --export-filename=ink-serif.png ink-serif.svg
soffice "$profile" --headless --convert-to emf lo-serif.fodg
soffice "$profile" --headless --convert-to \
    'png:draw_png_Export:{"PixelWidth":{"type":"long","value":"480"},"PixelHeight":{"type":"long","value":"336"}}' \
    lo-serif.fodg
# LibreOffice Writer: the page exported as PDF and the PDF opened in Draw; the page Draw makes of it
# has a bottom margin of 1 cm, taken off so that the EMF's frame is the whole page; that page is
# exported as EMF and as PNG of its size at 96 dpi.
soffice "$profile" --headless --convert-to pdf --outdir "$work" lo-serif-page.fodt
soffice "$profile" --headless --infilter=draw_pdf_import --convert-to fodg --outdir "$work" "$work/lo-serif-page.pdf"
sed -i 's/fo:margin-bottom="1cm"/fo:margin-bottom="0cm"/' "$work/lo-serif-page.fodg"
soffice "$profile" --headless --convert-to emf "$work/lo-serif-page.fodg"
soffice "$profile" --headless --convert-to \
    'png:draw_png_Export:{"PixelWidth":{"type":"long","value":"480"},"PixelHeight":{"type":"long","value":"336"}}' \
    "$work/lo-serif-page.fodg"

# LibreOffice Impress: a slide (its page, no margins, is the EMF's frame) with a radial gradient
# background, shadows, transparent discs and a PNG; its PNG is the slide in the pixels of its size
# at 96 dpi. The photo inside the source was made by lo-slide-glow-photo.py.
for entry in lo-slide-glow:605x378; do
    name=${entry%%:*}
    size=${entry#*:}
    soffice "$profile" --headless --convert-to emf "$name.fodp"
    soffice "$profile" --headless --convert-to \
        "png:impress_png_Export:{\"PixelWidth\":{\"type\":\"long\",\"value\":\"${size%x*}\"},\"PixelHeight\":{\"type\":\"long\",\"value\":\"${size#*x}\"}}" \
        "$name.fodp"
done
