' expect: error 7
Set fso = CreateObject("Scripting.FileSystemObject")
Set t = fso.CreateTextFile(fso.BuildPath(WScript.Arguments(0), "blank-lines.txt"), True)
t.WriteBlankLines 2000000000
