# xvfb.sh — sourced by run.sh and bench/frame-bench.sh.
#   orbelune_workdir
# makes a scratch directory $work and, at exit, stops the program
# ($prog_pid) and the Xvfb ($xvfb_pid) if they still run and removes $work.
#   orbelune_xvfb WxH DIR
# starts a private Xvfb of that screen size with GLX on, on a display number
# that Xvfb picks itself (written into DIR/display), exports DISPLAY and
# LIBGL_ALWAYS_SOFTWARE for it and sets xvfb_pid; the caller stops it.
orbelune_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1x24" +extension GLX -nolisten tcp 3>"$2/display" 2>"$2/xvfb.log" &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do
    [ -s "$2/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$2/display" ]; then
    echo "Xvfb n'a pas demarre :" >&2
    cat "$2/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$2/display")" LIBGL_ALWAYS_SOFTWARE=1
}

orbelune_workdir() {
  work=$(mktemp -d)
  xvfb_pid="" prog_pid=""
  trap orbelune_finish EXIT
}
orbelune_finish() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
