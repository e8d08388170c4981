-- A million calls of a small script function and of a host function, with the
-- profiler's call hook off and on. Runs in the main chunk: no window needed.
local profiler = require "profiler"
local calls = tonumber(os.getenv("STROBE_BENCH_CALLS") or "") or 1000000

local function small(a, b) return a + b end

local workloads = {
  { "script function", function()
      local s = 0
      for i = 1, calls do s = small(s, i) end
      return s
    end },
  -- GetKey without a window is a host function that returns at once.
  { "host function", function()
      for i = 1, calls do GetKey("a") end
    end },
}

local function seconds(work)
  local start = os.clock()
  work()
  return os.clock() - start
end

print(string.format("%d calls per run; best of 3 runs", calls))
for _, workload in ipairs(workloads) do
  local name, work = workload[1], workload[2]
  local off, on = math.huge, math.huge
  for _ = 1, 3 do
    off = math.min(off, seconds(work))
    profiler.start()
    on = math.min(on, seconds(work))
    profiler.stop()
  end
  print(string.format("%-16s hook off %7.1f ns/call  hook on %7.1f ns/call  ratio %.2f",
    name, off / calls * 1e9, on / calls * 1e9, on / off))
end

function initialize() end
