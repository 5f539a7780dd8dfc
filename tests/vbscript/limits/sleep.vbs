' expect: error 1799
WScript.Sleep 600000
