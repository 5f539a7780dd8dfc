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
' RegExp: properties, Test, Execute with Matches/Match/SubMatches, Replace,
' and error 5017 for a bad pattern.
Dim re, ms, m, sm, s, n
Set re = New RegExp
Check "typename", TypeName(re), "IRegExp2"
Check "default pattern", re.Pattern, ""
Check "default flags", re.IgnoreCase Or re.Global Or re.Multiline, False

' Test, with IgnoreCase.
re.Pattern = "\bcat\b"
Check "test hit", re.Test("the cat sat"), True
Check "test word boundary", re.Test("concatenate"), False
Check "test case", re.Test("The CAT"), False
re.IgnoreCase = True
Check "test ignorecase", re.Test("The CAT"), True
Check "ignorecase reads back", re.IgnoreCase, True

' Execute without Global: one match; with Global: all of them.
re.IgnoreCase = False
re.Pattern = "(\w+)@(\w+)\.com"
Check "one match without global", re.Execute("mail bob@example.com and amy@test.com now").Count, CLng(1)
re.Global = True
Set ms = re.Execute("mail bob@example.com and amy@test.com now")
Check "matches typename", TypeName(ms), "IMatchCollection2"
Check "count", ms.Count, CLng(2)
Set m = ms(1)
Check "match typename", TypeName(m), "IMatch2"
Check "value", m.Value, "amy@test.com"
Check "value is the default member", "" & m, "amy@test.com"
Check "firstindex is 0-based", m.FirstIndex, CLng(25)
Check "length", m.Length, CLng(12)
Check "item", ms.Item(0).Value, "bob@example.com"
Set sm = m.SubMatches
Check "submatches typename", TypeName(sm), "ISubMatches"
Check "submatches count", sm.Count, CLng(2)
Check "submatches item", sm(0) & "/" & sm.Item(1), "amy/test"
Check "submatches indexed on the match", m.SubMatches(1), "test"
s = ""
For Each m In ms
    s = s & m.FirstIndex & ":" & m.Value & ";"
Next
Check "for each over matches", s, "5:bob@example.com;25:amy@test.com;"
s = ""
For Each n In ms(0).SubMatches
    s = s & n & ","
Next
Check "for each over submatches", s, "bob,example,"
Check "no match", re.Execute("nobody here").Count, CLng(0)
Check "execute reads a number", re.Execute(12345).Count, CLng(0)

' A group that took no part in the match is Empty.
re.Pattern = "(a)|(b)"
Set m = re.Execute("b")(0)
Check "unset group is empty", m.SubMatches(0), Empty
Check "set group", m.SubMatches(1), "b"

' Multiline anchors.
re.Pattern = "^\d+$"
Check "anchors span the text", re.Execute("12" & vbLf & "34").Count, CLng(0)
re.Multiline = True
Check "anchors per line", re.Execute("12" & vbLf & "34" & vbCrLf & "56").Count, CLng(3)
re.Multiline = False

' Replace: first only or all, with group references.
re.Pattern = "(\w+)@(\w+)"
re.Global = False
Check "replace first", re.Replace("a@b c@d", "$2.$1"), "b.a c@d"
re.Global = True
Check "replace all", re.Replace("a@b c@d", "$2.$1"), "b.a d.c"
Check "replace specials", re.Replace("x a@b y", "[$&|$$|$3|$`|$']"), "x [a@b|$|$3|x | y] y"
re.Pattern = "\s+"
Check "collapse blanks", re.Replace("  a   b  c ", " "), " a b c "
re.Pattern = "x*"
Check "empty matches", re.Replace("abc", "-"), "-a-b-c-"
Check "empty match count", re.Execute("abc").Count, CLng(4)

' Lazy and greedy, lookahead, backreference, changing the pattern.
re.Global = False
re.Pattern = "<.+?>"
Check "lazy", re.Execute("<a><b>")(0).Value, "<a>"
re.Pattern = "<.+>"
Check "greedy", re.Execute("<a><b>")(0).Value, "<a><b>"
re.Pattern = "\d+(?=%)"
Check "lookahead", re.Execute("10 of 25%")(0).Value, "25"
re.Pattern = "(\w)\1"
Check "backreference", re.Execute("abccd")(0).Value, "cc"

' The language filter's kind of pattern.
re.Pattern = "\b(damn|hell|bloody)\b"
re.IgnoreCase = True
Check "filter hit", re.Test("what the HELL"), True
Check "filter miss inside words", re.Test("hello shell bloodyish"), False

' A bad pattern fails when it is used, with 5017.
Dim badRe
Set badRe = New RegExp
badRe.Pattern = "(abc"
CheckError "unclosed group", "badRe.Test ""abc""", 5017
badRe.Pattern = "a**"
CheckError "nothing to repeat", "badRe.Execute ""a""", 5017
badRe.Pattern = "[z-a]"
CheckError "range out of order", "badRe.Replace ""a"", ""b""", 5017
On Error Resume Next
badRe.Test "x"
Check "bad pattern text", Err.Description, "Syntax error in regular expression"
On Error GoTo 0
badRe.Pattern = "ok"
Check "a good pattern again", badRe.Test("ok"), True

' CreateObject reaches the same class.
Set re = CreateObject("VBScript.RegExp")
re.Pattern = "b+"
Check "createobject regexp", re.Replace("abbbc", "B"), "aBc"
Done
