' expect: error 1799
' Quadratic before: a long needle that almost matches everywhere.
s = String(3000000, "a") : n = String(30000, "a") & "b"
Do
    x = InStr(s, n) + InStrRev(s, n) + InStr(1, s, n, vbTextCompare)
    x = Replace(s, n, "x") : x = Split(s, n) : x = Filter(Array(s), n)
Loop
