ardour {
	["type"]    = "dsp",
	name        = "VT7000 Chord Generator",
	category    = "Utility",
	license     = "MIT",
	author      = "VT7000",
	description = [[Plays a chord for two seconds every four seconds.]]
}
function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0}, } end
local rate = 44100
local pos = 0
function dsp_init (r) rate = r end
function dsp_run (_, _, n_samples)
	local cnt = 1
	local period = 4 * rate
	local t0 = pos % period
	local function tx(t, d) midiout[cnt] = { time = t, data = d }; cnt = cnt + 1 end
	for i = 0, n_samples - 1 do
		local p = (t0 + i) % period
		if p == 0 then for _, n in ipairs({48, 52, 55, 60}) do tx(i + 1, {0x90, n, 100}) end end
		if p == 2 * rate then for _, n in ipairs({48, 52, 55, 60}) do tx(i + 1, {0x80, n, 0}) end end
	end
	pos = pos + n_samples
end
