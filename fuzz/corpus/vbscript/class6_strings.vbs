On Error Resume Next
s = "x"
Do : s = s & s : Loop Until Err.Number <> 0
