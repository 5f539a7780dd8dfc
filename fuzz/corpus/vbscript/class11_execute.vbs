On Error Resume Next
s = "Execute s"
Execute s
s = "Eval(s)"
x = Eval(s)
