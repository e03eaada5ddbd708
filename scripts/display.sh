# Sourced: start_display starts an Xvfb on a free display (unless DISPLAY is
# already usable) and exports DISPLAY; stop_display ends it by its process id.
XVFB_PID=""
start_display() {
  if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local num
  read -r -t 20 num <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$num"
}
stop_display() {
  if [[ -n "$XVFB_PID" ]]; then kill "$XVFB_PID" 2>/dev/null || true; XVFB_PID=""; fi
}
