' (d) RegExp word filter over chat lines.
Dim fso, f, line, re, hits, total
Set fso = CreateObject("Scripting.FileSystemObject")
Set f = fso.OpenTextFile(WScript.Arguments(0), 1)
Set re = New RegExp
re.Pattern = "\b(frag|noob|camp[a-z]*)\b"
re.IgnoreCase = True
re.Global = True
hits = 0 : total = 0
Do Until f.AtEndOfStream
    line = f.ReadLine
    If re.Test(line) Then
        hits = hits + 1
        line = re.Replace(line, "***")
    End If
    total = total + Len(line)
Loop
f.Close
WScript.Echo hits & " " & total
