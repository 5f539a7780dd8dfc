' expect: error 1799
Set r = New RegExp : r.Global = True : r.Pattern = "a"
s = String(20000000, "a")
Do
    x = r.Replace(s, "bb") : Set m = r.Execute(s)
Loop
