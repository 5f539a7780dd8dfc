-- (a) Console-line handler: prefix before the first colon, counted in a table.
local function split(s, sep)
  local parts, pos = {}, 1
  while true do
    local a, b = string.find(s, sep, pos, true)
    if not a then parts[#parts + 1] = string.sub(s, pos) break end
    parts[#parts + 1] = string.sub(s, pos, a - 1)
    pos = b + 1
  end
  return parts
end
local d, count, total, n = {}, 0, 0, 0
for line in io.lines(arg[1]) do
  line = line:gsub("\r$", "")
  local p = string.find(line, ":", 1, true)
  if p then
    local prefix = string.lower(string.sub(line, 1, p - 1))
    local rest = string.sub(line, p + 2)
    local parts = split(rest, " ")
    if d[prefix] then d[prefix] = d[prefix] + 1 else d[prefix] = 1 count = count + 1 end
    local msg = "[" .. prefix .. "] " .. parts[1] .. " (" .. #parts .. ")"
    total = total + #msg
  end
  n = n + 1
end
print(n .. " " .. count .. " " .. total)
