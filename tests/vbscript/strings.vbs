' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' String built-ins and their argument rules.
Check "len", Len("hello"), CLng(5)
Check "len of number", Len(12345), CLng(5)
Check "len null", Len(Null), Null
Check "left", Left("hello", 2), "he"
Check "left long", Left("hi", 10), "hi"
Check "right", Right("hello", 3), "llo"
Check "mid", Mid("hello", 2, 3), "ell"
Check "mid to end", Mid("hello", 3), "llo"
Check "mid past end", Mid("hello", 9), ""
CheckError "mid start zero", "x = Mid(""abc"", 0)", 5
CheckError "left negative", "x = Left(""abc"", -1)", 5
Check "left null", Left(Null, 1), Null
Check "instr", InStr("hello", "l"), CLng(3)
Check "instr start", InStr(4, "hello", "l"), CLng(4)
Check "instr empty needle", InStr(4, "abcdef", ""), CLng(4)
Check "instr missing", InStr("hello", "z"), CLng(0)
Check "instr text compare", InStr(1, "Hello", "h", 1), CLng(1)
Check "instr binary", InStr(1, "Hello", "h", 0), CLng(0)
Check "instr null", InStr("a", Null), Null
Check "instrrev", InStrRev("a.b.c", "."), CLng(4)
Check "instrrev start", InStrRev("a.b.c", ".", 3), CLng(2)
Check "lcase", LCase("MiXeD"), "mixed"
Check "ucase", UCase("MiXeD"), "MIXED"
Check "trim", Trim("  a b  "), "a b"
Check "ltrim", LTrim("  a "), "a "
Check "rtrim", RTrim(" a  "), " a"
Check "replace", Replace("a-b-c", "-", "+"), "a+b+c"
Check "replace count", Replace("a-b-c", "-", "+", 1, 1), "a+b-c"
Check "replace start drops prefix", Replace("abcabc", "b", "X", 3), "caXc"
Check "replace text compare", Replace("aAa", "a", "x", 1, -1, 1), "xxx"
Check "split join", Join(Split("a,b,,c", ","), "|"), "a|b||c"
Check "split limit", Join(Split("a b c d", " ", 2), "|"), "a|b c d"
Check "split default delimiter", UBound(Split("x y z")), CLng(2)
Check "join default", Join(Array("a", "b")), "a b"
Check "filter", Join(Filter(Array("apple", "berry", "grape"), "ap"), ","), "apple,grape"
Check "filter exclude", Join(Filter(Array("apple", "berry", "grape"), "ap", False), ","), "berry"
Check "space", Space(3), "   "
Check "space rounds to even", Space(4.5), "    "
Check "string char", String(3, "ab"), "aaa"
Check "string code", String(2, 65), "AA"
Check "strcomp", StrComp("a", "b"), -1
Check "strcomp text", StrComp("abc", "ABC", 1), 0
Check "strcomp binary", StrComp("abc", "ABC"), 1
Check "strreverse", StrReverse("abc"), "cba"
Check "chr", Chr(65), "A"
Check "chr rounds", Chr(65.5), "B"
CheckError "chr range", "x = Chr(256)", 5
Check "asc", Asc("A"), 65
CheckError "asc empty", "x = Asc("""")", 5
Check "hex", Hex(255), "FF"
Check "hex minus one", Hex(-1), "FFFF"
Check "hex min integer", Hex(-32768), "FFFF8000"
Check "oct", Oct(8), "10"
Check "escape", Escape("a b&c"), "a%20b%26c"
Check "unescape", Unescape("a%20b%26c"), "a b&c"
Check "concat numbers", 1 & 2, "12"
Check "vbcrlf", Len(vbCrLf), CLng(2)
Check "string compare in if", "abc" < "abd", True
' Strings across the block size boundaries, embedded NULs, a string joined
' to itself, and Split past its one-pass limits.
Dim sn, sv, sbad : sbad = ""
For Each sn In Array(0, 1, 15, 16, 17, 47, 48, 49, 111, 112, 113, 239, 240, 241, 5000)
    sv = String(sn, "a") & "b"
    If Len(sv) <> sn + 1 Or Left(sv, sn) <> String(sn, "a") Or Mid(sv, sn + 1) <> "b" Or LCase(UCase(sv)) <> sv Then sbad = sbad & sn & " "
Next
Check "lengths across block sizes", sbad, ""
sv = "a" & Chr(0) & "b"
Check "embedded nul", Len(sv) & InStr(sv, Chr(0)) & Mid(sv, 3) & UBound(Split(sv, Chr(0))), "32b1"
sv = "abc" : sv = sv & sv : sv = sv & sv
Check "joined to itself", sv, "abcabcabcabc"
For sn = 1 To 10 : sv = sv & sv : Next
Check "joined to itself past the small blocks", Len(sv) & Right(sv, 4), "12288cabc"
Check "concat of integer types", "x" & CInt(-32768) & CLng(-2147483647) & 1.5 & CByte(7), "x-32768-21474836471.57"
Check "concat of long number and date texts", "[" & CCur("-12345678901.2345") & "|" & (DateSerial(9999, 12, 31) + TimeSerial(23, 59, 59)) & "]", "[-12345678901.2345|12/31/9999 11:59:59 PM]"
Check "split many pieces", UBound(Split(String(300, ","), ",")) & Join(Split("a,b", ","), ""), "300ab"
sv = String(5000, "x") & " y"
Check "split long line", UBound(Split(sv, " ")) & Split(sv, " ")(1), "1y"
Check "split empty pieces at the ends", Join(Split(",a,", ","), "|") & UBound(Split("", ",")), "|a|-1"
Done
