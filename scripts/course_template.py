# Writes course-template.fodt: every marker, a page with a picture and a
# table, a reference link and a quiz. Converted to .docx and .doc with the
# reference word processor (see examples/README.md).
import base64, struct, zlib

def png(w, h):
    rows = b''
    for y in range(h):
        row = b'\x00'
        for x in range(w):
            inside = 8 <= x < w - 8 and 8 <= y < h - 8
            row += bytes((40, 110, 180) if inside else (230, 236, 242))
        rows += row
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))

def esc(s):
    return s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')

def p(text, style='Standard'):
    return '<text:p text:style-name="%s">%s</text:p>\n' % (style, esc(text))

picture = base64.b64encode(png(240, 120)).decode()
body = ''.join(p(t) for t in [
    '%TITLE=Course title',
    '%AUTHOR=Author name',
    '%H1=Chapter one',
    '%PID=100',
    '%H2=A page of text',
    '%PID=101',
]) + ('<text:p text:style-name="Standard">Write the page here: <text:span text:style-name="B">bold</text:span>, '
      '<text:span text:style-name="I">italic</text:span> and lists come out as they show here. '
      'The quiz at the end of the chapter: %A=103 check your knowledge%A#.</text:p>\n') + ''.join(p(t) for t in [
    '%H2=A page with a picture and a table',
    '%PID=102',
]) + ('<text:p text:style-name="Standard"><draw:frame draw:name="Picture" text:anchor-type="as-char" '
      'svg:width="6.35cm" svg:height="3.175cm"><draw:image><office:binary-data>%s</office:binary-data>'
      '</draw:image><svg:title>A blue rectangle</svg:title></draw:frame></text:p>\n' % picture) + (
    '<table:table table:name="Terms"><table:table-column table:number-columns-repeated="2"/>'
    '<table:table-row><table:table-cell table:style-name="C">%s</table:table-cell>'
    '<table:table-cell table:style-name="C">%s</table:table-cell></table:table-row>'
    '<table:table-row><table:table-cell table:style-name="C">%s</table:table-cell>'
    '<table:table-cell table:style-name="C">%s</table:table-cell></table:table-row>'
    '</table:table>\n' % (p('Term'), p('Meaning'), p('Marker'), p('A line of its own that starts with a percent sign')))
body += ''.join(p(t) for t in [
    'A table keeps its rows and cells in the page.',
    '%TEST=Check your knowledge',
    '%PID=103',
    '1. Which marker starts a page?',
    'a) The chapter marker',
    '*b) The page marker',
    'c) The test marker',
    '',
    '2. Which answer is marked correct?',
    '*a) The one with a star before its letter',
    'b) The first one',
    '%H1#',
    '%H2=Summary',
    '%PID=104',
    'Thank you for taking this course.',
])
doc = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
<style:style style:name="B" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
<style:style style:name="I" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
<style:style style:name="C" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:padding="0.1cm"/></style:style>
</office:automatic-styles>
<office:body><office:text>
%s</office:text></office:body></office:document>
''' % body
open('course-template.fodt', 'w').write(doc)
