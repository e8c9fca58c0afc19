-- Reopens the saved session: VT7000 restores its chunk (Volume 0.25) and plays.
AudioEngine:set_backend("None (Dummy)", "", "")
local s = load_session(os.getenv("VT_SESSION_DIR"), "vt7000-check")
assert(s, "session did not load")
local track = s:route_by_name("vt")
local insert = track:nth_plugin(1):to_insert()
local volume = ARDOUR.LuaAPI.get_plugin_insert_param(insert, 47, false)
print(string.format("reopened: Volume %.3f (%s)", volume, math.abs(volume - 0.25) < 1e-3 and "PASS" or "FAIL"))
ARDOUR.LuaAPI.usleep(500000)
local peak = -200
for _ = 1, 60 do
  ARDOUR.LuaAPI.usleep(100000)
  -- Meter channel 0 is the track's MIDI; 1 is the left audio channel.
  local m = track:peak_meter():meter_level(1, ARDOUR.MeterType.MeterPeak)
  if m > peak then peak = m end
end
local f = io.open(os.getenv("VT_SESSION_DIR") .. "/soft-peak", "r")
local before = tonumber(f:read("l"))
f:close()
print(string.format("peak after reopening: %.1f dBFS (%s: as before saving, %.1f dBFS)", peak,
                    math.abs(peak - before) < 1.5 and "PASS" or "FAIL", before))
close_session()
quit()
