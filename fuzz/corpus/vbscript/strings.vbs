Dim failures, checks : failures = 0 : checks = 0
Sub Check(label, actual, expected)
    Dim ok
    checks = checks + 1
    If IsNull(expected) Then
        ok = IsNull(actual)
    ElseIf IsNull(actual) Or IsObject(actual) Or IsArray(actual) Then
        ok = False
    Else
        ok = (TypeName(actual) = TypeName(expected))
        If ok Then ok = (actual = expected)
    End If
    If Not ok Then
        failures = failures + 1
        WScript.Echo "FAIL " & label & ": got [" & actual & "] " & TypeName(actual) & ", expected [" & expected & "] " & TypeName(expected)
    End If
End Sub
Sub CheckError(label, code, number)
    Dim n, d
    checks = checks + 1
    On Error Resume Next
    ExecuteGlobal code
    n = Err.Number : d = Err.Description
    On Error GoTo 0
    If n <> number Then
        failures = failures + 1
        WScript.Echo "FAIL " & label & ": error " & n & " (" & d & "), expected " & number
    End If
End Sub
Sub Done()
    If failures > 0 Then
        WScript.Echo failures & " of " & checks & " checks failed"
        WScript.Quit 1
    End If
    WScript.Echo checks & " checks passed"
End Sub

' Check, CheckError and Done are shared by every script: they live in check.inc.
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
Done
