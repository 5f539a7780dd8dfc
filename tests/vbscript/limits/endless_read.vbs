' expect: error (7|1799)
' A file that never ends.
Set t = CreateObject("Scripting.FileSystemObject").OpenTextFile("/dev/zero")
x = t.ReadAll
