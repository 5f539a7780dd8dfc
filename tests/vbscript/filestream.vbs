ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' A text file several times larger than the reader's window: lines that straddle a window's edge, Read
' across the edge, ReadAll of the rest, and the end of the file.
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
If Not fso.FolderExists(WScript.Arguments(0)) Then fso.CreateFolder WScript.Arguments(0)
Dim path : path = fso.BuildPath(WScript.Arguments(0), "stream-" & Int(Timer * 100) & ".txt")
Dim f, i, line, bad, total : Set f = fso.CreateTextFile(path, True)
For i = 0 To 9999 : line = "line " & i & String(i Mod 37, "x") : total = total + Len(line) + 2 : f.WriteLine line : Next
f.Close
Set f = fso.OpenTextFile(path) : i = 0 : bad = 0
Do Until f.AtEndOfStream
    If f.ReadLine <> "line " & i & String(i Mod 37, "x") Then bad = bad + 1
    i = i + 1
Loop
Check "lines read back", i & " lines, " & bad & " wrong", "10000 lines, 0 wrong"
Set f = fso.OpenTextFile(path)
Check "Read across the window, then ReadAll", Len(f.Read(70001)) + Len(f.ReadAll), total
CheckError "ReadAll at the end", "f.ReadAll", 62
f.Close : fso.DeleteFile path
Done
