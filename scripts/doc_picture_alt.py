# Gives the one inline picture of a small Word 97-2003 file an alternative
# text, in place: the text goes into the picture shape's property table
# (property 0x0381) and the Data stream grows into the free end of its last
# mini sector, so that no other part of the compound file moves.
#   python3 doc_picture_alt.py FILE.doc "Alternative text"
# Used once on examples/course-template.doc (see examples/README.md).
import struct, sys

path, text = sys.argv[1], sys.argv[2]
d = bytearray(open(path, 'rb').read())
u16 = lambda o: struct.unpack_from('<H', d, o)[0]
u32 = lambda o: struct.unpack_from('<I', d, o)[0]
shift = 1 << u16(30)
mini = 1 << u16(32)
sector = lambda n: 512 + n * shift
fat = [e for k in range(109) if u32(76 + 4 * k) != 0xFFFFFFFF
       for e in struct.unpack_from('<%dI' % (shift // 4), d, sector(u32(76 + 4 * k)))]

def chain(start, table):
    out = []
    while start < 0xFFFFFFFA:
        out.append(start)
        start = table[start]
    return out

entries = [sector(s) + k * 128 for s in chain(u32(48), fat) for k in range(shift // 128)]
names = {bytes(d[e:e + u16(e + 64) - 2]).decode('utf-16-le'): e for e in entries if u16(e + 64)}
minifat = [e for s in chain(u32(60), fat)
           for e in struct.unpack_from('<%dI' % (shift // 4), d, sector(s))]
ministream = [sector(s) + k * mini for s in chain(u32(names['Root Entry'] + 116), fat)
              for k in range(shift // mini)]
data_entry = names['Data']
sectors = chain(u32(data_entry + 116), minifat)
size = u32(data_entry + 120)
data = bytearray(b''.join(d[ministream[s]:ministream[s] + mini] for s in sectors))[:size]

# The picture: its PICF (lcb, cbHeader), then the shape container with the
# property table.
lcb, header = struct.unpack_from('<IH', data, 0)
sp = header
assert struct.unpack_from('<H', data, sp + 2)[0] == 0xF004, 'no shape container'
q = sp + 8
while struct.unpack_from('<H', data, q + 2)[0] != 0xF00B:
    q += 8 + struct.unpack_from('<I', data, q + 4)[0]
count = struct.unpack_from('<H', data, q)[0] >> 4
body = q + 8
complex_end = q + 8 + struct.unpack_from('<I', data, q + 4)[0]
value = text.encode('utf-16-le') + b'\0\0'
added = 6 + len(value)
assert size + added <= len(sectors) * mini, 'no room in the last mini sector'
data[complex_end:complex_end] = value
data[body + 6 * count:body + 6 * count] = struct.pack('<HI', 0x8000 | 0x0381, len(value))
struct.pack_into('<H', data, q, (count + 1) << 4 | 3)
struct.pack_into('<I', data, q + 4, struct.unpack_from('<I', data, q + 4)[0] + added)
struct.pack_into('<I', data, sp + 4, struct.unpack_from('<I', data, sp + 4)[0] + added)
struct.pack_into('<I', data, 0, lcb + added)
data += b'\0' * (len(sectors) * mini - len(data))
for k, s in enumerate(sectors):
    d[ministream[s]:ministream[s] + mini] = data[k * mini:(k + 1) * mini]
struct.pack_into('<I', d, data_entry + 120, size + added)
open(path, 'wb').write(d)
