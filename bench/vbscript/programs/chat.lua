-- (d) Word filter over chat lines with Lua patterns (no regular expressions):
-- the same words, matched on word boundaries in the lower-cased line.
local words = { "%f[%w]frag%f[%W]", "%f[%w]noob%f[%W]", "%f[%w]camp%a*%f[%W]" }
local hits, total = 0, 0
for line in io.lines(arg[1]) do
  line = line:gsub("\r$", "")
  local lower = string.lower(line)
  local hit = false
  for _, w in ipairs(words) do
    if string.find(lower, w) then hit = true break end
  end
  if hit then
    hits = hits + 1
    for _, w in ipairs(words) do lower = string.gsub(lower, w, "***") end
    line = lower
  end
  total = total + #line
end
print(hits .. " " .. total)
