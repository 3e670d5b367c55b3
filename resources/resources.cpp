// The pictures and sounds are compiled in as Qt resources (:/pictures/...,
// :/WAVE/101 and :/WAVE/102); this library carries them to whoever links it.
