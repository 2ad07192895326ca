#!/usr/bin/env bash
# tarvo-script against a private PostgreSQL server that is restarted between two queries of
# the employee window: the second query works on the same session, which opens its
# connection again by itself. Exit 77 (skipped) without a PostgreSQL installation.
set -euo pipefail
tool=$1
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ]; then
    echo "PostgreSQL is not installed"
    exit 77
fi
port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
port=55329
while port_taken "$port"; do port=$((port + 1)); done
dir=$(mktemp -d /tmp/tarvo-restart.XXXXXX)
as_pg=()
if [ "$(id -u)" -eq 0 ]; then
    chown postgres "$dir"
    as_pg=(runuser -u postgres --)
fi
driver=
stop() {
    [ -n "$driver" ] && kill "$driver" 2>/dev/null || true
    "${as_pg[@]}" "$pgbin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
trap stop EXIT
# The server must not inherit the pipe's writing end, or the script never ends.
server() {
    "${as_pg[@]}" "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/log" -w "$@" \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" >/dev/null 3>&-
}
"${as_pg[@]}" "$pgbin/initdb" -D "$dir/data" -A trust -U postgres -E UTF8 --locale=C.UTF-8 >/dev/null
server start

# The script arrives line by line through a pipe, so the server can restart in between.
mkfifo "$dir/script"
"$tool" --db "postgresql://postgres@127.0.0.1:$port/postgres" --prepare \
    --drive-c "$dir/c" - <"$dir/script" >"$dir/transcript" 2>"$dir/err" &
driver=$!
exec 3>"$dir/script"
# Waits (at most 30 s) until the transcript has N lines holding "rows".
wait_rows() {
    for _ in $(seq 300); do
        [ "$(grep -c '"rows"' "$dir/transcript" || true)" -ge "$1" ] && return 0
        sleep 0.1
    done
    echo "no rows in the transcript:"
    cat "$dir/transcript" "$dir/err"
    exit 1
}
printf 'open w_employee\nclick cb_1\nrows dw_1\n' >&3
wait_rows 1
server -m fast restart
printf 'click cb_1\nrows dw_1\n' >&3
wait_rows 2
exec 3>&-
status=0
timeout 30 tail --pid="$driver" -f /dev/null || { echo "tarvo-script did not end"; exit 1; }
wait "$driver" || status=$?
driver=
if [ "$status" -ne 0 ] || grep -q 'error' "$dir/transcript"; then
    echo "the query after the restart failed (exit $status):"
    cat "$dir/transcript" "$dir/err"
    exit 1
fi
first=$(grep -m1 '"rows"' "$dir/transcript")
second=$(grep '"rows"' "$dir/transcript" | tail -1)
if [ "$first" != "$second" ]; then
    echo "the rows differ after the restart:"
    cat "$dir/transcript"
    exit 1
fi
echo "the query after the restart gave the same rows"
