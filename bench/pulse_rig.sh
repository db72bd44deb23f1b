# The PulseAudio rig of the live benchmarks, to be sourced: two
# timer-clocked virtual sinks, "guitar" (whose monitor is the default source,
# Ampliro's input) and "amp" (the default sink, Ampliro's output), on a
# private server. start_pulse_rig FOLDER starts it there, sets PULSE_SERVER
# and rig_server (its process id) and waits until it answers.
#
# The server's audio threads run real-time where the system allows it, as
# a desktop's do. Without shared memory (PulseAudio 16 loses the data of one
# of two capture streams of one client process when they share its memfd
# pool) the audio of every client passes through the server's main thread,
# which the server keeps at nice -11 whatever it was started with (made
# real-time by hand, it gave no fewer gaps here).

start_pulse_rig() {
  local folder=$1
  cat >"$folder/rig.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$folder/native
load-module module-null-sink sink_name=guitar rate=44100 channels=1 sink_properties=device.description=guitar
load-module module-null-sink sink_name=amp rate=44100 channels=1 sink_properties=device.description=amp
load-module module-remap-source source_name=guitar_in master=guitar.monitor
load-module module-remap-source source_name=amp_out master=amp.monitor
set-default-source guitar_in
set-default-sink amp
PA
  pulseaudio -n -F "$folder/rig.pa" --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --disable-shm=yes --realtime=yes --high-priority=yes \
    --log-target=file:"$folder/server.log" &
  rig_server=$!
  export PULSE_SERVER=unix:$folder/native
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
}
