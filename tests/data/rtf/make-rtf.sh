#!/bin/sh
# Makes the RTF files of this folder as a word processor writes them, and the words it shows when
# it opens them again. Needs LibreOffice 7.4 (Writer), poppler-utils and fonts-noto-cjk. The build
# and the tests never run it: they read what it made.
#
#   writer-note.html    a short note: a bold run, a coloured run, three bullets (one Japanese),
#                       Japanese with a bold run, a table of 3 rows by 4 cells (Japanese and Latin)
#   writer-recipe.fodt  a Writer document: a "Heading 1" of Latin and Japanese, body text with bold
#                       Latin, bold Japanese, a coloured run and runs of 9 pt and 16 pt, a bulleted
#                       and a numbered list, a table of 4 rows by 3 cells with a bold first row, and
#                       a last paragraph of bold, coloured 14 pt Japanese
#
# name.rtf  Writer's RTF of the source (the note through Writer's HTML import, as pasting a web
#           page into Writer does). Writer gives the size of body text only in its style sheet
#           (\s17 "Text Body" \sbasedon0, \fs24 only in "Normal") and writes bold Japanese as
#           \dbch\ab.
# name.txt  the words Writer shows of name.rtf: Writer opens the RTF and prints it to PDF, and
#           pdftotext takes the text off the page.
#
# The sizes the tests expect are those of the same PDF: `pdftotext -bbox` gives each word a box
# 1.3 times its size high (15.6 for 12 pt), and each Japanese character is as wide as its size.
# writer-note: every word 12 pt. writer-recipe: heading 18 pt, "small print 小さな字" 9 pt,
# "large print 大きな字" 16 pt, the last paragraph 14 pt, every other word 12 pt.
#
# Other writers' files, made the same way by hand (the tests never run these programs):
#   pandoc-recipe.rtf    pandoc 2.17 of pandoc-recipe.md (`pandoc -s pandoc-recipe.md -o pandoc-recipe.rtf`):
#                        \u escapes, \bullet list marks, a table written cell by cell as
#                        {{\pard\intbl ...\par}\cell}
#   latex2rtf-note.rtf   latex2rtf 2.3.18 of latex2rtf-note.tex: \rquote, \endash, \emdash, \bullet,
#                        \ldblquote, \~, fonts of \fcharset0 in a document without \ansicpg
#   jdk-stock.rtf        OpenJDK 17's javax.swing.text.rtf.RTFEditorKit, by JdkRtf.java
#                        (`javac JdkRtf.java && java JdkRtf jdk-stock.rtf`): \rquote, \emdash,
#                        \bullet, \endash, \ldblquote and \rdblquote in fonts naming no charset, and
#                        Latin-1 letters as \'xx in a document declaring no code page; jdk-stock.txt
#                        is what RTFEditorKit reads back of it
#   pygments-recipe.rtf  Pygments 2.20 of pygments-recipe.py (`pygmentize -f rtf -o pygments-recipe.rtf
#                        pygments-recipe.py`): {\uN} groups after \uc0, lines of code with leading spaces
#   abiword-recipe.rtf   AbiWord 3.0.5 of writer-recipe.fodt converted to .odt by Writer
#                        (`abiword --to=rtf`): run groups that carry their style (\s) and a last list
#                        item whose paragraph mark has none of its runs' style
#   textedit-recipe.rtf  by hand, as TextEdit on a Mac writes (\cocoartf, \ansicpg1252, a backslash
#                        before each line end for a paragraph end, Japanese in a \fcharset128 font)
#   word-list.rtf        by hand, as Word writes a bulleted list: {\listtext ... \f3\'b7\tab} with f3
#                        the Symbol font (\fcharset2), a Wingdings mark, and U+F0B7 (\u-3913) in Symbol
#   wordpad-list.rtf     by hand, as WordPad (RichEdit 4.1) writes one: {\pntext\f1\'B7\tab}
# name.txt  the words each writer shows of its file: for the generated ones the source's words
#           (the writer's document; the JDK's is read back by RTFEditorKit), for the hand-made ones
#           the words of the documented form. AbiWord's list items stand in its \listtext groups,
#           which AbiWord and Writer skip on reading: they are kept here, so nothing is lost.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
profile="-env:UserInstallation=file://$work/libreoffice"

soffice "$profile" --headless --infilter="HTML (StarWriter)" --convert-to rtf writer-note.html
soffice "$profile" --headless --convert-to rtf writer-recipe.fodt
for name in writer-note writer-recipe; do
    soffice "$profile" --headless --convert-to pdf --outdir "$work" "$name.rtf"
    pdftotext -layout "$work/$name.pdf" "$name.txt"
done
