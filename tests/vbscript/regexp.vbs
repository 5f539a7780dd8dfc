' RegExp: properties, Test, Execute with Matches/Match/SubMatches, Replace,
' and the error for a bad pattern. Prints each failed check and a summary;
' the exit code is the number of failures.
Option Explicit
Dim passed, failed
passed = 0 : failed = 0

Sub Check(what, actual, expected)
    Dim a
    If IsNull(actual) Then
        a = "Null"
    ElseIf IsEmpty(actual) Then
        a = "Empty"
    Else
        a = CStr(actual)
    End If
    If a = expected Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAIL " & what & ": got [" & a & "] expected [" & expected & "]"
    End If
End Sub

Dim re, ms, m, sm, s, n
Set re = New RegExp
Check "TypeName", TypeName(re), "IRegExp2"
Check "defaults", re.Pattern & "|" & re.IgnoreCase & "|" & re.Global & "|" & re.Multiline, "|False|False|False"

' Test, with IgnoreCase.
re.Pattern = "\bcat\b"
Check "Test hit", re.Test("the cat sat"), "True"
Check "Test word boundary", re.Test("concatenate"), "False"
Check "Test case", re.Test("The CAT"), "False"
re.IgnoreCase = True
Check "Test IgnoreCase", re.Test("The CAT"), "True"

' Execute without Global: one match; with Global: all of them.
re.IgnoreCase = False
re.Pattern = "(\w+)@(\w+)\.com"
Set ms = re.Execute("mail bob@example.com and amy@test.com now")
Check "one match without Global", ms.Count, "1"
re.Global = True
Set ms = re.Execute("mail bob@example.com and amy@test.com now")
Check "Matches TypeName", TypeName(ms), "IMatchCollection2"
Check "Count", ms.Count, "2"
Set m = ms(1)
Check "Match TypeName", TypeName(m), "IMatch2"
Check "Value", m.Value, "amy@test.com"
Check "default member is Value", m, "amy@test.com"
Check "FirstIndex is 0-based", m.FirstIndex, "25"
Check "Length", m.Length, "12"
Check "Item", ms.Item(0).Value, "bob@example.com"
Set sm = m.SubMatches
Check "SubMatches TypeName", TypeName(sm), "ISubMatches"
Check "SubMatches Count", sm.Count, "2"
Check "SubMatches Item", sm(0) & "/" & sm.Item(1), "amy/test"
Check "SubMatches indexed on the Match", m.SubMatches(1), "test"
s = ""
For Each m In ms
    s = s & m.FirstIndex & ":" & m.Value & ";"
Next
Check "For Each over Matches", s, "5:bob@example.com;25:amy@test.com;"
s = ""
For Each n In ms(0).SubMatches
    s = s & n & ","
Next
Check "For Each over SubMatches", s, "bob,example,"
Set ms = re.Execute("nobody here")
Check "no match Count", ms.Count, "0"

' A group that took no part in the match is Empty.
re.Pattern = "(a)|(b)"
Set m = re.Execute("b")(0)
Check "unset group is Empty", m.SubMatches(0), "Empty"
Check "set group", m.SubMatches(1), "b"

' Multiline anchors.
re.Pattern = "^\d+$"
Check "anchors span the text", re.Execute("12" & vbLf & "34").Count, "0"
re.Multiline = True
Check "anchors per line", re.Execute("12" & vbLf & "34" & vbCrLf & "56").Count, "3"
re.Multiline = False

' Replace: first only or all, with group references.
re.Pattern = "(\w+)@(\w+)"
re.Global = False
Check "Replace first", re.Replace("a@b c@d", "$2.$1"), "b.a c@d"
re.Global = True
Check "Replace all", re.Replace("a@b c@d", "$2.$1"), "b.a d.c"
Check "Replace specials", re.Replace("x a@b y", "[$&|$$|$3]"), "x [a@b|$|$3] y"
re.Pattern = "\s+"
Check "collapse blanks", re.Replace("  a   b  c ", " "), " a b c "
re.Pattern = "x*"
Check "empty matches", re.Replace("abc", "-"), "-a-b-c-"

' Lazy and greedy, lookahead, backreference.
re.Global = False
re.Pattern = "<.+?>"
Check "lazy", re.Execute("<a><b>")(0).Value, "<a>"
re.Pattern = "\d+(?=%)"
Check "lookahead", re.Execute("10 of 25%")(0).Value, "25"
re.Pattern = "(\w)\1"
Check "backreference", re.Execute("abccd")(0).Value, "cc"

' The language filter's kind of pattern.
re.Pattern = "\b(damn|hell|bloody)\b"
re.IgnoreCase = True
Check "filter hit", re.Test("what the HELL"), "True"
Check "filter miss inside words", re.Test("hello shell bloodyish"), "False"

' A bad pattern fails when used, with 5017.
re.Pattern = "(abc"
On Error Resume Next
n = re.Test("abc")
Check "bad pattern number", Err.Number, "5017"
Check "bad pattern text", Err.Description, "Syntax error in regular expression"
Err.Clear
re.Pattern = "a**"
n = re.Execute("a").Count
Check "nothing to repeat", Err.Number, "5017"
Err.Clear
On Error GoTo 0

' CreateObject reaches the same class.
Set re = CreateObject("VBScript.RegExp")
re.Pattern = "b+"
Check "CreateObject RegExp", re.Replace("abbbc", "B"), "aBc"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
