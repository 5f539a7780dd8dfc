' (a) Console-line handler: prefix before the first colon, counted in a Dictionary.
Dim fso, f, line, p, prefix, rest, parts, d, total, n, msg
Set fso = CreateObject("Scripting.FileSystemObject")
Set f = fso.OpenTextFile(WScript.Arguments(0), 1)
Set d = CreateObject("Scripting.Dictionary")
total = 0 : n = 0
Do Until f.AtEndOfStream
    line = f.ReadLine
    p = InStr(line, ":")
    If p > 0 Then
        prefix = LCase(Left(line, p - 1))
        rest = Mid(line, p + 2)
        parts = Split(rest, " ")
        If d.Exists(prefix) Then d(prefix) = d(prefix) + 1 Else d.Add prefix, 1
        msg = "[" & prefix & "] " & parts(0) & " (" & (UBound(parts) + 1) & ")"
        total = total + Len(msg)
    End If
    n = n + 1
Loop
f.Close
WScript.Echo n & " " & d.Count & " " & total
