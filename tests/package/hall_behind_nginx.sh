#!/usr/bin/env bash
# The installed kestal-hall and kestal-web packages as a Debian server runs them (called by
# tests/package/run.sh once apt has installed them, as root or with sudo at hand):
#   - kestal-hall.service passes `systemd-analyze verify`;
#   - the server is started as the unit starts it: its ExecStart, its options from its
#     EnvironmentFile, its working and state directory, under a user of its own with no
#     new privileges (this machine need not run systemd, so the unit's sandbox itself is
#     not applied);
#   - the package's example nginx site is put into Debian's nginx as its comment says;
#   - through nginx: the site's pages, /api/health, a whole game entered (201) and then on
#     its board, its recording given back as sent;
#   - the game played in a browser through nginx (a hook, see browser_game_through_nginx).
# The site and the processes it adds are gone when it ends; the packages, and the hall of
# fame in the service's state directory, stay for run.sh's purge to remove.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
step() { echo "== $*"; }
fail() {
  echo "hall_behind_nginx.sh: $*" >&2
  exit 1
}

unit=/usr/lib/systemd/system/kestal-hall.service
site_example=/usr/share/doc/kestal-hall/examples/nginx-site
site_name=kestal.example.org
recording=$root/tests/regression/whole_game.keys
work=$(mktemp -d)
hall_pid=""
started_nginx=""
# Debian's nginx, started by its service, writes its master's id here.
nginx_runs() { [ -s /run/nginx.pid ] && $SUDO kill -0 "$(cat /run/nginx.pid)" 2>/dev/null; }
cleanup() {
  set +e
  [ -n "$hall_pid" ] && $SUDO kill "$hall_pid" 2>/dev/null && wait "$hall_pid" 2>/dev/null
  $SUDO rm -f /etc/nginx/sites-enabled/kestal /etc/nginx/sites-available/kestal
  if [ -n "$started_nginx" ]; then
    $SUDO nginx -s quit 2>/dev/null
  elif nginx_runs; then
    $SUDO nginx -s reload 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

step "systemd-analyze verify $unit"
# It passes over settings it cannot read with a warning: any word from it is a fault.
said=$($SUDO systemd-analyze verify "$unit" 2>&1) || fail "$said"
[ -z "$said" ] || fail "$said"

# The unit's own settings, read from it, so that what runs here is what systemd would run.
setting() { sed -n "s/^$1=//p" "$unit"; }
exec_start=$(setting ExecStart)
environment_file=$(setting EnvironmentFile)
state_directory=/var/lib/$(setting StateDirectory)
working_directory=$(setting WorkingDirectory)
umask=$(setting UMask)
[ "$(setting DynamicUser)" = yes ] || fail "the unit does not run under a user of its own"
[ "$working_directory" = "$state_directory" ] || fail "the unit works outside its state directory"

step "starting kestal-hall as its unit does"
# Freshly installed: no hall of fame yet, so that a new entry is new.
[ ! -e "$state_directory" ] || fail "$state_directory is left from before: purge kestal-hall"
# DynamicUser: a user id that no account has, from systemd's range for them.
uid=61184
while getent passwd "$uid" >/dev/null || getent group "$uid" >/dev/null; do uid=$((uid + 1)); done
# StateDirectory: made for that user before the program starts.
$SUDO install -d -o "$uid" -g "$uid" -m 0755 "$state_directory"
# A clean environment as systemd gives, with EnvironmentFile's settings (a leading "-": the
# file may be missing); then ExecStart with its unbraced variables split into words.
environment=(PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin HOME=/ LANG=C.UTF-8
  "STATE_DIRECTORY=$state_directory")
options_file=${environment_file#-}
if [ -r "$options_file" ]; then
  # shellcheck disable=SC1090
  . "$options_file"
  for variable in $(sed -n 's/^\([A-Za-z_][A-Za-z0-9_]*\)=.*/\1/p' "$options_file"); do
    environment+=("$variable=${!variable}")
  done
fi
command=()
for word in $exec_start; do
  if [[ $word =~ ^\$([A-Z_]+)$ ]]; then
    # shellcheck disable=SC2206
    command+=(${!BASH_REMATCH[1]:-})
  else
    command+=("$word")
  fi
done
echo "as user $uid in $working_directory: ${command[*]}"
(cd "$working_directory" && umask "${umask:-0022}" && exec $SUDO setpriv --reuid="$uid" --regid="$uid" --clear-groups \
  --no-new-privs env -i "${environment[@]}" "${command[@]}") >"$work/hall.out" 2>"$work/hall.err" &
hall_pid=$!
for _ in $(seq 100); do
  grep -q "listening on" "$work/hall.out" && break
  kill -0 "$hall_pid" 2>/dev/null || fail "kestal-hall ended: $(cat "$work/hall.err")"
  sleep 0.1
done
said=$(cat "$work/hall.out")
[[ $said =~ listening\ on\ http://127\.0\.0\.1:8081\ \(sqlite\) ]] ||
  fail "kestal-hall did not say it listens on 127.0.0.1:8081 with SQLite: $said"
echo "$said"

step "the example nginx site in Debian's nginx"
# As the site's own comment says: copied, enabled, checked, and nginx told.
$SUDO cp "$site_example" /etc/nginx/sites-available/kestal
$SUDO ln -s ../sites-available/kestal /etc/nginx/sites-enabled/kestal
$SUDO nginx -t -q
if nginx_runs; then
  $SUDO nginx -s reload
else
  $SUDO nginx
  started_nginx=yes
fi

# Every request goes to port 80 under the site's name.
get() {
  curl --silent --show-error --max-time 120 --resolve "$site_name:80:127.0.0.1" "$@"
}
# A reload takes effect once the old workers have left: until then the site is not served.
for _ in $(seq 100); do
  get --fail -o /dev/null "http://$site_name/api/health" 2>/dev/null && break
  sleep 0.1
done

step "the site's pages through nginx"
web=/usr/share/kestal/web
pages=("$web/index.html" "$web/silent.html" "$(find "$web" -name '*.wasm' | head -n 1)")
for file in "${pages[@]}"; do
  [ -f "$file" ] || fail "kestal-web has no ${file#"$web"/}"
  path=${file#"$web"}
  type=$(get -o "$work/page" -w '%{http_code} %{content_type}' "http://$site_name$path")
  echo "$path: $type"
  case "$path" in
    *.html) [[ $type == "200 text/html"* ]] || fail "$path: $type" ;;
    # Browsers compile WebAssembly as it arrives only when it is served as such.
    *.wasm) [ "$type" = "200 application/wasm" ] || fail "$path: $type" ;;
  esac
  cmp -s "$work/page" "$file" || fail "$path through nginx is not the installed file"
done

step "the hall through nginx"
health=$(get -w '\n%{http_code}' "http://$site_name/api/health")
echo "$health"
[ "$(tail -n 1 <<<"$health")" = 200 ] && jq -e '.status == "ok" and .database == "sqlite"' \
  <<<"$(head -n 1 <<<"$health")" >/dev/null || fail "/api/health through nginx: $health"

name="Package test $$"
jq -n --arg name "$name" --rawfile replay "$recording" '{name: $name, replay: $replay}' \
  >"$work/entry.json"
status=$(get -o "$work/entered.json" -w '%{http_code}' -H 'Content-Type: application/json' \
  --data-binary "@$work/entry.json" "http://$site_name/api/entries")
echo "POST /api/entries: $status $(cat "$work/entered.json")"
[ "$status" = 201 ] || fail "a whole game was not entered"
id=$(jq -r .id "$work/entered.json")
edition=$(jq -r .edition "$work/entered.json")
get "http://$site_name/api/entries?edition=$edition&limit=100" >"$work/board.json"
jq -e --argjson id "$id" --arg name "$name" \
  'any(.entries[]; .id == $id and .name == $name)' "$work/board.json" >/dev/null ||
  fail "entry $id is not on the $edition board: $(cat "$work/board.json")"
echo "entry $id is on the $edition board of $(jq .total "$work/board.json")"
get -o "$work/replay.keys" "http://$site_name/api/entries/$id/replay"
cmp -s "$work/replay.keys" "$recording" || fail "entry $id's recording differs from the one sent"
# The hall of fame is the state directory's: the server wrote nowhere else.
$SUDO test -s "$state_directory/kestal-hall.sqlite" ||
  fail "no kestal-hall.sqlite in $state_directory"

# The browser test plays a short game in the page served by nginx, enters it in the hall
# and finds it on hall.html. A check that cannot run is a failure, not a pass.
browser_game_through_nginx() {
  local test=$root/tests/package/browser_through_nginx.sh
  [ -x "$test" ] || fail "$test is missing or not executable: the game in a browser through nginx was not played"
  "$test" "http://$site_name/" "$site_name:80:127.0.0.1"
}
step "the game in a browser through nginx"
browser_game_through_nginx

step "stopping the hall and taking the site out of nginx"
$SUDO kill "$hall_pid"
wait "$hall_pid" || fail "kestal-hall did not end cleanly when stopped: $(cat "$work/hall.err")"
hall_pid=""
echo "hall and nginx checks passed"
