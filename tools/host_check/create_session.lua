-- A new session with one MIDI track: the chord generator feeding VT7000.
-- Plays, sets Volume (parameter 47) to 0.25, plays again and saves.
AudioEngine:set_backend("None (Dummy)", "", "")
local dir = os.getenv("VT_SESSION_DIR")
local s = create_session(dir, "vt7000-check", 44100)
assert(s, "no session")
local info = ARDOUR.LuaAPI.new_plugin_info("VT7000", ARDOUR.PluginType.LXVST)
assert(not info:isnil(), "VT7000 not found on LXVST_PATH")
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local audio = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local track = s:new_midi_track(midi, audio, false, info, nil, nil, 1, "vt", ARDOUR.PresentationInfo.max_order,
                               ARDOUR.TrackMode.Normal, true):front()
local generator = ARDOUR.LuaAPI.new_luaproc(s, "VT7000 Chord Generator")
assert(not generator:isnil(), "chord generator script not installed")
track:add_processor_by_index(generator, 0, nil, true)
local insert = track:nth_plugin(1):to_insert()
print("plugin: " .. track:nth_plugin(1):name() .. ", parameters: " .. insert:plugin(0):parameter_count())

local kVolume = 47
-- The largest meter peak over some seconds; the chord comes every four.
local function peakOver(seconds)
  ARDOUR.LuaAPI.usleep(500000) -- past the meter's fall from what came before
  local peak = -200
  for _ = 1, seconds * 10 do
    ARDOUR.LuaAPI.usleep(100000)
    -- Meter channel 0 is the track's MIDI; 1 is the left audio channel.
    local m = track:peak_meter():meter_level(1, ARDOUR.MeterType.MeterPeak)
    if m > peak then peak = m end
  end
  return peak
end
local loud = peakOver(6)
print(string.format("peak at Volume 0.5: %.1f dBFS", loud))
ARDOUR.LuaAPI.set_plugin_insert_param(insert, kVolume, 0.25)
local soft = peakOver(6)
print(string.format("peak at Volume 0.25: %.1f dBFS (%s: half the volume is 6 dB down)", soft,
                    math.abs(loud - soft - 6.0) < 1.5 and "PASS" or "FAIL"))
-- For the reopened session to compare with.
local f = io.open(dir .. "/soft-peak", "w")
f:write(string.format("%.2f\n", soft))
f:close()
s:save_state("", false, false, false, false, false)
close_session()
quit()
