' expect: error 1799
ExecuteGlobal "x = " & String(2000000, "+") & "1"
If x <> 1 Then WScript.Quit 1
Do : Loop
