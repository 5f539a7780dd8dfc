#!/usr/bin/env bash
# Ravelin demo: installs what is missing, builds, starts two simulated game
# servers ("Demo Arena One" and "Demo Arena Two"), each in its own console
# window (ravelin-console), and opens ravelin on them.
#
#   scripts/demo.sh            with a display: opens ravelin's start window;
#                              the demo servers keep running after Quit
#                              without one: runs everything on a private X
#                              server, connects to "Demo Arena One", writes
#                              screenshots and stops everything again
#   scripts/demo.sh --screenshots   the display-less run, even with a display
#   scripts/demo.sh --stop     stops the demo servers
#
# Exit status 0 on success; any failure ends with the reason and status 1.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${RAVELIN_BUILD_DIR:-$repo/build}
state=$build/demo
bin=$build/bin
pidfile=$state/servers.pid

die() {
  echo "demo: $*" >&2
  exit 1
}

# Our own processes only: each pid was written by this script, and is
# checked to still be the program it started before it is signalled.
stop_servers() {
  [ -f "$pidfile" ] || return 0
  local pid stopped=0
  while read -r pid; do
    [ -n "$pid" ] || continue
    if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q ravelin-console; then
      kill "$pid" 2>/dev/null && stopped=$((stopped + 1))
    fi
  done <"$pidfile"
  for _ in $(seq 1 50); do
    local alive=0
    while read -r pid; do
      [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && alive=1
    done <"$pidfile"
    [ $alive -eq 0 ] && break
    sleep 0.1
  done
  rm -f "$pidfile"
  echo "demo: stopped $stopped demo server(s)"
}

mode=auto
case "${1:-}" in
  --stop)
    stop_servers
    exit 0
    ;;
  --screenshots) mode=screenshots ;;
  "") ;;
  -h | --help)
    sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *) die "unknown option $1 (try --help)" ;;
esac
if [ "$mode" = auto ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then mode=display; else mode=screenshots; fi
fi

# --- Install and build -------------------------------------------------------
"$repo/scripts/install-deps.sh" || die "installing the build dependencies failed"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null \
  || die "configuring the build failed (see the messages above)"
cmake --build "$build" --target ravelin ravelin-console q3sim || die "the build failed (see the messages above)"
for program in ravelin ravelin-console q3sim; do
  [ -x "$bin/$program" ] || die "$bin/$program was not built"
done

mkdir -p "$state"
stop_servers >/dev/null

# The demo keeps its settings apart from the operator's own, so its start
# window always opens on a fresh list (a default server set during the demo
# is used by the next demo run).
export XDG_CONFIG_HOME=$state/config
mkdir -p "$XDG_CONFIG_HOME"

xvfb_pid=
cleanup() {
  if [ "$mode" = screenshots ]; then
    stop_servers >/dev/null 2>&1 || true
    if [ -n "$sshd_pid" ]; then
      kill "$sshd_pid" 2>/dev/null || true
      wait "$sshd_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
      kill "$xvfb_pid" 2>/dev/null || true
      wait "$xvfb_pid" 2>/dev/null || true
    fi
  fi
}
trap cleanup EXIT

if [ "$mode" = screenshots ]; then
  command -v Xvfb >/dev/null || die "Xvfb is not installed"
  # A private runtime folder: the list shows the demo servers only.
  export XDG_RUNTIME_DIR=$state/runtime
  rm -rf "$XDG_RUNTIME_DIR"
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
  # A free display number, and an X server of our own on it.
  display=
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || die "no free X display number between :90 and :140"
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start: $(tail -n 3 "$state/xvfb.log")"
    sleep 0.05
  done
  [ -e "/tmp/.X11-unix/X$display" ] || die "Xvfb did not open display :$display"
  export DISPLAY=:$display
  export QT_QPA_PLATFORM=xcb
fi

# --- The two demo servers ----------------------------------------------------
console_count() { "$bin/ravelin-console" list 2>/dev/null | grep -c . || true; }

start_server() { # NAME PLAYERS SEED LOG
  local before
  before=$(console_count)
  setsid "$bin/ravelin-console" -- "$bin/q3sim" +set sv_hostname "$1" +set net_port 0 \
    --players "$2" --seed "$3" --chat-every 4 --kill-every 3 --join-every 20 --leave-every 30 \
    </dev/null >"$4" 2>&1 &
  local pid=$!
  echo "$pid" >>"$pidfile"
  # Wait until its console window is listed, so the servers are listed in
  # the order they were started, and until the server has opened its port.
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || die "the console host for \"$1\" ended: $(tail -n 5 "$4")"
    if [ "$(console_count)" -gt "$before" ]; then
      echo "demo: started \"$1\" (console host pid $pid)"
      return 0
    fi
    sleep 0.05
  done
  die "the console window of \"$1\" did not appear within 10 s"
}

start_server "Demo Arena One" "Bob,^1Red^7Guy,Sarge" 1 "$state/arena-one.log"
start_server "Demo Arena Two" "Anarki,^4Blue^7Bird" 2 "$state/arena-two.log"

# --- A second machine over ssh (screenshots only) ---------------------------
# With Debian's sshd installed, the display-less run starts one of its own on
# a loopback port (its own keys and configuration under $state/sshd) with a
# far console behind it, so the start window shows a second machine node.
sshd_pid=
start_far_machine() {
  local dir=$state/sshd far=$state/far-runtime port user
  if [ ! -x /usr/sbin/sshd ] || ! command -v ssh-keygen >/dev/null; then
    echo "demo: sshd is not installed; the start window shows this machine only"
    return 0
  fi
  rm -rf "$dir" "$far"
  mkdir -p -m 0700 "$dir" "$far"
  mkdir -p /run/sshd 2>/dev/null || true
  ssh-keygen -q -t ed25519 -N '' -f "$dir/host_key" && ssh-keygen -q -t ed25519 -N '' -f "$dir/client_key" \
    || { echo "demo: ssh-keygen failed; no second machine"; return 0; }
  cp "$dir/client_key.pub" "$dir/authorized_keys"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  user=$(id -un)
  cat >"$dir/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
HostKey $dir/host_key
PidFile $dir/sshd.pid
AuthorizedKeysFile $dir/authorized_keys
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
UsePAM no
StrictModes no
PrintMotd no
SetEnv PATH=$bin:/usr/bin:/bin XDG_RUNTIME_DIR=$far
CONFIG
  echo "[127.0.0.1]:$port $(cat "$dir/host_key.pub")" >"$dir/known_hosts"
  printf 'Host *\n  UserKnownHostsFile %s\n  GlobalKnownHostsFile /dev/null\n  IdentityFile %s\n  IdentitiesOnly yes\n  LogLevel ERROR\n' \
    "$dir/known_hosts" "$dir/client_key" >"$dir/ssh_config"
  /usr/sbin/sshd -D -e -f "$dir/sshd_config" >"$dir/sshd.log" 2>&1 &
  sshd_pid=$!
  XDG_RUNTIME_DIR=$far start_server "Demo Far Arena" "Klesk,Xaero" 3 "$state/far-arena.log"
  cat >>"$XDG_CONFIG_HOME/Ravelin/Ravelin.ini" <<SETTINGS
[Remote]
SshConfig=$dir/ssh_config
MachineCount=1
Machine1=$user@127.0.0.1:$port
SETTINGS
  echo "demo: a second machine: sshd on 127.0.0.1:$port with \"Demo Far Arena\" behind it"
}

# --- Ravelin -----------------------------------------------------------------
if [ "$mode" = screenshots ]; then
  mkdir -p "$XDG_CONFIG_HOME/Ravelin"
  rm -f "$XDG_CONFIG_HOME/Ravelin/Ravelin.ini"
  start_far_machine
fi
if [ "$mode" = display ]; then
  echo "demo: opening Ravelin; pick a server and press Connect."
  echo "demo: after Quit the demo servers keep running as their own console windows."
  status=0
  # Ctrl-C ends ravelin, not this script: the consoles are given back below.
  trap 'true' INT
  "$bin/ravelin" || status=$?
  trap - INT
  # However ravelin ended, the demo servers stay visible as their own
  # console windows.
  "$bin/ravelin-console" list 2>/dev/null | while IFS=$'\t' read -r handle shown name; do
    case "$name" in
      "Demo Arena "*) [ "$shown" = hidden ] && "$bin/ravelin-console" show "$handle" >/dev/null 2>&1 ;;
    esac
  done || true
  echo
  echo "The demo servers are still running. Stop them with:"
  echo "  scripts/demo.sh --stop"
  echo "or one at a time with 'ravelin-console list' and 'ravelin-console send HANDLE quit'."
  exit $status
fi

shots=$state/screenshots
rm -rf "$shots"
mkdir -p "$shots"
echo "demo: no display; running on Xvfb :$display and connecting to \"Demo Arena One\""
"$bin/ravelin" --connect "Demo Arena One" --screenshots "$shots" --driver-timeout 120 \
  >"$state/ravelin.log" 2>&1 || die "ravelin failed: $(tail -n 5 "$state/ravelin.log")"
count=$(find "$shots" -name '*.png' | wc -l)
[ "$count" -eq 10 ] || die "expected 10 screenshots in $shots, found $count"
echo "demo: screenshots of the start window and of each main-window tab are in:"
echo "  $shots"
