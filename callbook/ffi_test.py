"""The callbook library as another language sees it: each export of its
header's table callable through its C signature, over a small data set
written here byte by byte. (Which names it exports is checked by
cbx32_exports.)"""
import ctypes as C
import os
import sys
import tempfile

from exports import table_names

library_path, header_path = sys.argv[1], sys.argv[2]
failures = []


def check(label, got, expected):
    if got != expected:
        failures.append(f"{label}: got {got!r}, expected {expected!r}")


I, S, B, P = C.c_int, C.c_char_p, C.c_char_p, C.POINTER(C.c_int)
signatures = {
    "CBXInit": (I, [S]), "CBXSearch": (I, [I, S, S, S, B, I]), "CBXGetNext": (I, [B, I]),
    "CBXCount": (I, [P]), "CBXGetCount": (I, []), "CBXGetIndex": (I, [I]),
    "CBXAdvance": (I, [I, B, I]), "CBXAdvanceTo": (I, [I, B, I]), "CBXBack": (I, [I, B, I]),
    "CBXBrowseBackFix": (None, []), "CBXGetSbPos": (I, []), "CBXGetCbInfo": (I, [B]),
    "CBXVersion": (I, []), "CBXExit": (I, []), "CBXSetFilter": (None, [I]),
    "CBXField": (None, [I, B, P]), "CBXReformat": (I, [I, B]), "CBXReformatRTF": (I, [B]),
    "CBXTextMode": (None, [I]), "CBXFixBuffer": (I, [S]), "CBXGetEmail": (I, [S, B, I]),
}
check("signatures cover the table", sorted(signatures), sorted(table_names(header_path)))
lib = C.CDLL(library_path)
for name, (restype, argtypes) in signatures.items():
    function = getattr(lib, name)
    function.restype, function.argtypes = restype, argtypes


def index_file(block, entries, key_length, keys):
    head = bytearray(48)
    for offset, value in ((16, block), (24, entries), (32, key_length)):
        text = str(value).encode()
        head[offset:offset + len(text)] = text
    head[40:44] = b"7.01"
    return bytes(head) + b"".join(k.ljust(key_length)[:key_length] for k in keys)


lines = [b"K 1ABC,JONES,,JOHN Q,,96060,97060,07060,1 ELM ST,HARTFORD,CT,06101,E,,",
         b"W 1AW ,HIRAM,,PERCY,,45123,95200,05200,225 MAIN ST,NEWINGTON,CT,06111,C,W1XX,"]
with tempfile.TemporaryDirectory() as root:
    os.mkdir(os.path.join(root, "callbk"))
    data = b"".join(line + b"\r\n" for line in lines)
    for letter, keys, length in ((b"c", [b"K 1ABC"], 6), (b"n", [b"HIRAM"], 8),
                                 (b"s", [b"CTHARTFORD"], 12), (b"z", [b"06101"], 5)):
        name = os.path.join(root, "callbk", "callbk" + letter.decode())
        open(name + ".dat", "wb").write(data)
        open(name + ".idx", "wb").write(index_file(4096, 1, length, keys))
    open(os.path.join(root, "callbk", "netaddr.cbx"), "wb").write(
        b"W1AW\0\0\0\0\0\0" + b"w1aw@example.org".ljust(50, b"\0"))
    os.environ["KESTREL_DRIVE_T"] = root
    out = C.create_string_buffer(1024)
    more = C.c_int(7)
    check("CBXInit", lib.CBXInit(b"T:\\"), ord("T"))
    check("CBXSearch", lib.CBXSearch(1, b"w1aw", None, None, out, 2), 53)
    check("CBXSearch text", out.value, b"PERCY HIRAM, W1AW\r\n225 MAIN ST\r\nNEWINGTON, CT  06111 ")
    check("CBXGetNext", lib.CBXGetNext(out, 2), -1)
    check("CBXSearch name", lib.CBXSearch(2, b"JONES", None, None, out, 4) > 0, True)
    check("CBXCount", lib.CBXCount(C.byref(more)), 1)
    check("CBXCount more", more.value, 0)
    check("CBXGetCount", lib.CBXGetCount(), 1)
    check("CBXGetIndex", lib.CBXGetIndex(0), 0)
    check("CBXAdvanceTo", lib.CBXAdvanceTo(0, out, 0), len(lines[0]) - 1 + 2)  # blank gone, CR LF
    check("CBXAdvance", lib.CBXAdvance(1, out, 4), len(lines[1]) - 2 + 2)
    check("CBXAdvance text", out.value[:5], b"W1AW,")
    check("CBXBack", lib.CBXBack(1, out, 0), len(lines[0]) - 1 + 2)
    check("CBXBack text", out.value[:6], b"K1ABC,")
    lib.CBXBrowseBackFix()  # the first line starts at 0: nothing moves
    check("CBXGetSbPos", lib.CBXGetSbPos(), (len(lines[0]) + 2) * 1000 // len(data))
    check("CBXGetCbInfo", lib.CBXGetCbInfo(out), len(out.value))
    check("CBXGetCbInfo text", out.value.split(b"\r\n")[0], b"Database: T:\\callbk\\callbkc.dat")
    check("CBXVersion", lib.CBXVersion(), 7)
    check("CBXExit", lib.CBXExit(), 0)
    lib.CBXSetFilter(1)
    field, length = C.create_string_buffer(256), C.c_int(0)
    lib.CBXField(100, field, C.byref(length))
    check("CBXField", (field.value, length.value), (b"JOHN Q. JONES", 13))
    check("CBXReformat", lib.CBXReformat(3, out), len(out.value))
    check("CBXReformat text", out.value[:6], b" K1ABC")
    check("CBXReformatRTF", lib.CBXReformatRTF(out), len(out.value))
    check("CBXReformatRTF text", out.value[:11], b"\\par  K1ABC")
    lib.CBXTextMode(0)
    rtf = os.path.join(root, "x.rtf")
    open(rtf, "wb").write(b"{\\rtf1\na\nb\n}")
    check("CBXFixBuffer", lib.CBXFixBuffer(rtf.encode()), 1)
    check("CBXFixBuffer text", open(rtf, "rb").read(), b"{\\rtf1\na\n")
    check("CBXGetEmail", lib.CBXGetEmail(b"w1aw", out, 256), 16)
    check("CBXGetEmail text", out.value, b"w1aw@example.org")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"{len(signatures)} exports called")
