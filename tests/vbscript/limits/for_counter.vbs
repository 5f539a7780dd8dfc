' expect: error 1799
' The body sets the counter past any integer: the loop ends, then the script spins.
For i = 1 To 10
    i = 1E+300
Next
If i <> 1E+300 + 1 Then WScript.Echo "counter " & i : WScript.Quit 1
Do : Loop
