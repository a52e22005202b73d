#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/, one folder per target.

Each seed is laid out the way the target reads it with FuzzedDataProvider:
texts from the front (ConsumeRandomLengthString: "\\" is written "\\\\",
and "\\" followed by another byte ends a text), numbers from the back (the
first number read is the last bytes of the input). Run it again after
changing what a target reads; the fuzzer's own findings go to build/fuzz/.
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class Seed:
    def __init__(self):
        self.front = b""
        self.back = b""

    def text(self, value):
        """A text of ConsumeText: ASCII as itself, bytes from 0x80 pick extras."""
        data = value.encode("latin-1") if isinstance(value, str) else value
        self.front += data.replace(b"\\", b"\\\\") + b"\\;"
        return self

    def raw(self, data):
        """Bytes that the target takes as they are (the rest of the input)."""
        self.front += data
        return self

    def u8(self, value):
        self.back = bytes([value & 0xFF]) + self.back
        return self

    def u64(self, value):
        self.back = struct.pack("<Q", value & 0xFFFFFFFFFFFFFFFF) + self.back
        return self

    def bytes(self):
        return self.front + self.back


def utf16(text, big=False):
    return text.encode("utf-16-be" if big else "utf-16-le", "surrogatepass")


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


# string_list_load: code page byte (0 Latin-1, 1 UTF-8, 2 locale), locale
# byte (index into the target's list), write byte, then the file.
TEMPLATE = b"<html><title>[TITLE]</title>\r\n<script>\r\n[DIR DATA]\r\n</script></html>\r\n"
write("string_list_load", {
    "latin1-lf": bytes([0, 0, 0]) + b"a\nb\n\rc\r\r\nd",
    "latin1-nul": bytes([0, 0, 0]) + b"a\x00b",
    "utf8-mark": bytes([0, 0, 0]) + b"\xEF\xBB\xBF" + TEMPLATE,
    "utf8-mark-only": bytes([0, 0, 0]) + b"\xEF\xBB\xBF",
    "utf8-ill-formed": bytes([0, 0, 0]) + b"\xEF\xBB\xBFok\xC3(\r\n",
    "utf8-surrogate": bytes([0, 0, 0]) + b"\xEF\xBB\xBF\xED\xA0\x80",
    "utf8-codepage": bytes([1, 1, 0]) + "快照 \xff\r\n".encode("utf-8", "surrogateescape") + b"\xff",
    "utf16le": bytes([0, 0, 0]) + b"\xFF\xFE" + utf16("a\r\nb\U0001F600\n") + b"\x00",
    "utf16le-one-byte": bytes([0, 0, 0]) + b"\xFF\xFEa",
    "utf16be": bytes([0, 0, 0]) + b"\xFE\xFF" + utf16("[DIR DATA]\r\n\udc80", True),
    "gb18030": bytes([2, 5, 0]) + "文件夹\r\n快照".encode("gb18030") + b"\x81",
    "latin1-locale": bytes([2, 2, 0]) + "Grüße\r\n".encode("latin-1"),
    "ascii-locale": bytes([2, 0, 0]) + b"plain\x80\xff\r\n",
    "short-writes": bytes([0, 0, 0x43]) + b"\xFF\xFE" + utf16("one\r\ntwo\r\n"),
    "write-fails": bytes([0, 0, 0x82]) + b"\xEF\xBB\xBF" + TEMPLATE,
})

# split_join: the bytes as UTF-16 text, as three ASCII texts, and as a name.
write("split_join", {
    "breaks": utf16("a\r\nb\nc\rd\n\re\r\r\nf"),
    "list-form": utf16("one\r\ntwo\r\n\r\n"),
    "nul": utf16("a\r\n\x00b\r\n"),
    "replace": Seed().text("D.p([\"C:\\Data*0*2018/12/8\"])").text("\\").text("/").bytes(),
    "placeholder": Seed().text("x[TITLE][TITLE]y[TITLE").text("[TITLE]").text("[TITLE]!").bytes(),
    "amp": Seed().text("R&D &amp;").text("&").text("&amp;").bytes(),
    "invalid-utf8": b"ok\xff\xc3\x28\xed\xa0\x80\xf4\x90\x80\x80\xe2\x82",
})

# date_time_text: value selector and bits, separators, which regional fields
# follow, their texts, language (index: English, Chinese, Japanese, Korean),
# sublanguage, era answer and text, whether
# eras are asked, then the format.
def date_seed(selector, bits, fmt, which=0, fields=(), dsep=0, tsep=1, lang=0, sub=1,
              era=None, names=None):
    s = Seed().u8(selector).u64(bits).u8(dsep).u8(tsep).u8(which)
    for f in fields:
        s.text(f)
    if which & 32:
        s.u8(names[0]).text(names[1]).u8(names[2]).text(names[3])
    s.u8(lang).u8(sub)
    s.u8(1 if era else 0).text(era or "")
    s.u8(1 if era else 0)
    s.text(fmt)
    return s.bytes()


def f64(value):
    return struct.unpack("<Q", struct.pack("<d", value))[0]


write("date_time_text", {
    "record": date_seed(4, f64(43442.37850983796), "yyyy/m/d h:nn:ss"),
    "page-name": date_seed(4, f64(43442.37850983796), "yymmddhhnnss"),
    "nan": date_seed(0, 0, "c dddddd tt AMPM"),
    "infinity": date_seed(1, 0, "yyyy/mm/dd hh:nn:ss.zzz"),
    "far-past": date_seed(4, f64(-693594.5), "c"),
    "year-10000": date_seed(4, f64(2958466.0), "yyyy mmmm dddd"),
    "huge": date_seed(4, f64(1e300), "yymmddhhnnss"),
    "negative-day": date_seed(4, f64(-1.25), "yyyy/m/d h:nn:ss"),
    "ampm": date_seed(4, f64(43442.875), "h:mm AM/PM a/p hh 'h' \"x\" AMPM",
                      which=16, fields=("vorm", "nachm")),
    "nested": date_seed(4, f64(43442.5), "ddddd dddddd t tt c",
                        which=15, fields=("dddddyyyy/mm/dd", "dddddd d mmmm", "tt", "hh:mm:ss")),
    "eras": date_seed(4, f64(43442.5), "gg g ee e eeee", lang=2, era="\x80\x83"),
    "separators": date_seed(4, f64(43442.5), "yyyy/m/d h:nn:ss", dsep=5, tsep=4),
    "names": date_seed(4, f64(43442.5), "mmm dddd aaaa aaa",
                       which=32, names=(11, "\x80\x81", 6, "e\x84")),
    "unterminated-quote": date_seed(4, f64(43442.5), "yyyy 'rest"),
})

# paths: style (1 Windows), length byte (0 pads to the limit), folder, name.
def path_seed(windows, folder, name, pad=1):
    return Seed().u8(1 if windows else 0).u8(pad).text(folder).text(name).bytes()


write("paths", {
    "win-join": path_seed(True, "C:\\data", "sub"),
    "win-trailing": path_seed(True, "C:\\data\\", "f.txt"),
    "win-drive-relative": path_seed(True, "C:", "data"),
    "win-forward": path_seed(True, "C:/data", "sub"),
    "win-rooted-name": path_seed(True, "C:\\data", "D:\\x"),
    "win-long-prefix": path_seed(True, "\x80C:\\data", "\x81server\\share"),
    "win-colon": path_seed(True, "C:\\data:x", "a:b"),
    "win-invalid": path_seed(True, "C:\\da|ta", "a\"b"),
    "win-blank": path_seed(True, "   \t", " "),
    "win-limit": path_seed(True, "C:\\data\\", "x", pad=4 * 4),
    "win-link-loop": path_seed(True, "C:\\data\\up\\up", "sub"),
    "win-file": path_seed(True, "C:\\data\\f.txt", ""),
    "posix-join": path_seed(False, "/data", "sub"),
    "posix-relative": path_seed(False, "data/sub/..", "g"),
    "posix-backslash": path_seed(False, "/data\\sub", "a\\b"),
    "posix-invalid-byte": path_seed(False, "/data/\x82", "\x82"),
    "posix-limit": path_seed(False, "/data/", "x", pad=4 * 4),
    "posix-gone-link": path_seed(False, "/data/gone", ""),
})

# records: style, root form (0 base, 1 trailing separator, 2 rewritten form,
# 3 empty, 4 blank, 5 drive or relative, 6 missing), collation (0 ICU, else
# plain), then operations: opcode (0-1 folder, 2-3 file, 4 link, 5 flags,
# 6 failure, 7 change during the run) and a parent (index of what was made
# so far, 0 the base folder).
DEFAULT_TIME = 131887350000000000


class Tree(Seed):
    def __init__(self, windows=True, root=0, icu=1):
        super().__init__()
        self.u8(1 if windows else 0).u8(root).u8(icu)

    def folder(self, parent, name, time=None):
        self.u8(0).u8(parent).text(name)
        return self._time(time)

    def file(self, parent, name, size, time=None):
        self.u8(2).u8(parent).text(name)
        self._time(time)
        return self.u64(size).u8(0)

    def link(self, parent, name, target, dangling=False):
        self.u8(4).u8(parent).text(name)
        self._time(None)
        return self.u8(target).u8(0 if dangling else 1)

    def flags(self, node, value):
        return self.u8(5).u8(node).u8(value)

    def fail(self, node, op, how=1):
        return self.u8(6).u8(node).u8(op).u8(how)

    def during(self, node, pump, target, remove=True):
        return self.u8(7).u8(node).u8(pump).u8(target).u8(1 if remove else 0)

    def _time(self, time):
        if time is None:
            return self.u8(0).u32(0)
        return self.u8(1).u64(time)

    def u32(self, value):
        self.back = struct.pack("<I", value) + self.back
        return self


write("records", {
    "worked-example": Tree().folder(0, "Music").folder(1, "Live").folder(0, "R&D")
        .file(0, "readme.md", 2048).file(0, "notes.txt", 120).file(1, "song.mp3", 4000000).bytes(),
    "names": Tree(windows=False).folder(0, "a\\b").folder(0, "x*0*-").file(0, "q*1*2", 7)
        .file(0, "\x8b", 1).file(0, "\x8d", 2).file(0, "\x91", 3).folder(0, "\x84\x85").bytes(),
    "sizes-and-times": Tree().file(0, "big", 1 << 32).file(0, "negative", 1 << 63)
        .file(0, "year-10000", 5, time=2650467744000000000).file(0, "past-2-63", 6, time=1 << 63)
        .folder(0, "old", time=0).bytes(),
    "links": Tree().folder(0, "a").link(1, "up", 0).link(0, "gone", 1, dangling=True)
        .link(0, "to-file", 0).bytes(),
    "failures": Tree().folder(0, "a").file(1, "f", 1).fail(1, 1).fail(1, 6, 2)
        .fail(0, 10).fail(2, 2).flags(1, 2).bytes(),
    "changes": Tree(windows=False).folder(0, "a").folder(0, "b").file(1, "f", 1)
        .during(0, 1, 2).during(0, 2, 1, remove=False).bytes(),
    "trimmed-names": Tree().folder(0, " ").folder(0, "...").folder(0, "a ").file(0, ". ", 3).bytes(),
    "roots": Tree(root=1, icu=0).folder(0, "\x8a").folder(0, "b").bytes(),
})
