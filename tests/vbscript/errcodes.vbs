ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
Dim codes : codes = Array(Array(&H80040154, 429), Array(&H800401F3, 429), Array(&H80004003, 424), Array(&H80028CA0, 13), Array(&H80028CA1, 9), Array(&H80070004, 67), Array(&H8007000F, 68), Array(&H80070011, 74), Array(&H80070015, 71), Array(&H80070026, 62), Array(&H8007007B, 52), Array(&H800700B7, 58), Array(&H800A01A8, 424))
Dim c, fso : On Error Resume Next
For Each c In codes : Err.Clear : Err.Raise c(0) : Check "code " & Hex(c(0)), Err.Number & Err.Source & (Err.Description <> "Unknown runtime error"), c(1) & "Microsoft VBScript runtime errorTrue" : Next
Err.Clear : Err.Raise vbObjectError + 1, "Mine", "custom" : Err.Raise vbObjectError + 2
Check "object error kept", Err.Number & " " & Err.Source & " " & Err.Description, (vbObjectError + 2) & " Mine custom"
Err.Raise 13, , , "", 0
Check "help file cleared", Err.HelpFile & Err.HelpContext & Err.Description, "0custom"
On Error GoTo 0
Dim raises : raises = Array(Array("Err.Raise", 450), Array("Err.Raise 0", 5), Array("Err.Raise 2147483648", 6), Array("Err.Raise ""x""", 13), Array("Err.Raise Null", 94), Array("Err.Raise 1, Null", 94), Array("Err.Raise 1, , , , ""x""", 13))
For Each c In raises : CheckError c(0), c(0), c(1) : Next
Set fso = CreateObject("Scripting.FileSystemObject")
raises = Array(Array("fso.OpenTextFile ""/nonexistent/dir/file.txt""", 76), Array("Set d = CreateObject(""Scripting.Dictionary"") : d.Add 1, 1 : d.Add 1, 2", 457), Array("fso.NoSuchMethod", 438), Array("fso.GetFileName 1, 2", 450))
For Each c In raises : CheckError c(0), c(0), c(1) : Next
Done
