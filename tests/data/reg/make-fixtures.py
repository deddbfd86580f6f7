#!/usr/bin/env python3
"""Writes the .reg fixtures: the application's key as the registry editor of a Russian
Windows host exports it, once as REGEDIT4 (Windows-1251 bytes) and once as version 5.00
(UTF-16LE with a byte order mark). Control bytes stay raw inside the quotes."""

ESC = "\x1b"

lines = [
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Tuvo\Marlet]",
    '"TimeOut"=dword:00000003',
    '"AutoPrint"=dword:00000001',
    r'"Spool"="c:\\prnspl"',
    '"FontName"="Courier New"',
    '"End"=dword:000000ff',
    '"Language"="Русский"',
    '"CodePage"="866"',
    '"Sequence"="Epson FX"',
    f'"InitStr"="{ESC}@"',
    "",
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Tuvo\Marlet\InitStr]",
    f'"Сброс"="{ESC}@"',
    f'"Сжатый \\"17\\""="{ESC}@\x0f"',
    f'"Draft"="{ESC}x0{ESC}P"',
    "",
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Tuvo\Marlet\Sequences]",
    "",
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Tuvo\Marlet\Sequences\Epson FX]",
    f'"Bold"="{ESC}E"',
    f'"NoBold"="{ESC}F"',
    f'"Italic"="{ESC}4"',
    f'"NoItalic"="{ESC}5"',
    f'"Underline"="{ESC}-1"',
    f'"NoUnderline"="{ESC}-0"',
    f'"Strikeout"="{ESC}\\\\"',
    f'"Double"="{ESC}W1"',
    f'"NoDouble"="{ESC}W0"',
    f'"Pica"="{ESC}P"',
    f'"Elit"="{ESC}M"',
    '"Condenced"="\x0f"',
    '"NoCondenced"="\x12"',
    f'"CondElit"="{ESC}А\x98я"',
    f'"Pitch"="{ESC}P__"',
    f'"LPI"="{ESC}3__"',
    "",
]

text = "".join(line + "\r\n" for line in ["REGEDIT4", ""] + lines)
# U+0098 is how Windows carries the one byte Windows-1251 leaves undefined.
regedit4 = bytes(0x98 if ch == "\x98" else ch.encode("cp1251")[0] for ch in text)
open("marlet-regedit4.reg", "wb").write(regedit4)

text = "".join(line + "\r\n" for line in ["Windows Registry Editor Version 5.00", ""] + lines)
open("marlet-v5.reg", "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
