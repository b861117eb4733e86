#!/usr/bin/env bash
# The local HTTPS mirror of the demo, the benchmarks and the tests: nginx on
# 127.0.0.1 serving a folder as plain bytes with a certificate made by
# make-test-pki.sh, in the foreground as one process that keeps everything it
# writes in a folder of its own.
#
# Sourced, it gives a script one mirror:
#   mirror_write_conf FOLDER PORT ROOT CERTIFICATE KEY [DIRECTIVE...]
#       writes FOLDER/nginx.conf; the directives go into the server block
#       ("limit_rate 512k;")
#   mirror_start FOLDER PORT   starts nginx on that configuration and waits
#                              until it accepts connections
#   mirror_trust TOOL.exe AUTHORITY.pem WORK
#       has the wine prefix in use (WINEPREFIX) trust the test authority,
#       through the test-only tool of tests/win32, until mirror_untrust
#   mirror_stop, mirror_untrust, and mirror_cleanup (both, for an EXIT trap)
#
# Run, it writes a configuration for a program that starts nginx itself:
#   bash mirror.sh write-conf FOLDER PORT ROOT CERTIFICATE KEY [DIRECTIVE...]
#   nginx -p FOLDER -e FOLDER/error.log -c FOLDER/nginx.conf

mirror_pid=
mirror_trust_tool=
mirror_authority=
mirror_work=

mirror_write_conf() {
    if [ $# -lt 5 ]; then
        echo "uso: mirror_write_conf CARPETA PUERTO RAÍZ CERTIFICADO CLAVE [DIRECTIVA...]" >&2
        return 2
    fi
    local folder=$1 port=$2 root=$3 certificate=$4 key=$5 directive
    shift 5
    mkdir -p "$folder" || return 1
    {
        cat <<CONF
daemon off;
master_process off;
pid $folder/nginx.pid;
error_log $folder/error.log;
events { worker_connections 64; }
http {
    access_log off;
    client_body_temp_path $folder/body;
    proxy_temp_path $folder/proxy;
    fastcgi_temp_path $folder/fastcgi;
    uwsgi_temp_path $folder/uwsgi;
    scgi_temp_path $folder/scgi;
    default_type application/octet-stream;
    server {
        listen 127.0.0.1:$port ssl;
        ssl_certificate $certificate;
        ssl_certificate_key $key;
        root $root;
CONF
        for directive in "$@"; do
            printf '        %s\n' "$directive"
        done
        printf '    }\n}\n'
    } > "$folder/nginx.conf"
}

# Whether something accepts connections on the port of 127.0.0.1.
mirror_accepts() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

mirror_start() {
    local folder=$1 port=$2
    # Another server on the port would answer in nginx's place.
    if mirror_accepts "$port"; then
        echo "El puerto $port de 127.0.0.1 ya está en uso." >&2
        return 1
    fi
    nginx -p "$folder" -e "$folder/error.log" -c "$folder/nginx.conf" &
    mirror_pid=$!
    # nginx listens within a few hundred milliseconds; ten seconds leave room
    # for a machine that is busy building.
    for _ in $(seq 100); do
        if mirror_accepts "$port"; then
            return 0
        fi
        kill -0 "$mirror_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "El espejo no arrancó en el puerto $port; vea $folder/error.log:" >&2
    tail -n 20 "$folder/error.log" >&2 2>/dev/null || true
    mirror_stop
    return 1
}

mirror_stop() {
    if [ -n "$mirror_pid" ]; then
        kill "$mirror_pid" 2>/dev/null || true
        wait "$mirror_pid" 2>/dev/null || true
        mirror_pid=
    fi
}

# The path by which a Windows program under wine sees a Linux file: wine's
# drive Z: is the Linux root.
mirror_windows_path() {
    local path
    path=$(realpath "$1")
    printf 'Z:%s\n' "${path//\//\\}"
}

mirror_trust() {
    local tool=$1 authority=$2 work=$3
    if ! wine "$tool" add "$(mirror_windows_path "$authority")" > "$work/trust.log" 2>&1; then
        echo "El prefijo de wine no acepta la autoridad de pruebas; vea $work/trust.log:" >&2
        cat "$work/trust.log" >&2
        return 1
    fi
    mirror_trust_tool=$tool mirror_authority=$authority mirror_work=$work
}

mirror_untrust() {
    [ -n "$mirror_trust_tool" ] || return 0
    local tool=$mirror_trust_tool
    mirror_trust_tool=
    if ! wine "$tool" remove "$(mirror_windows_path "$mirror_authority")" \
        > "$mirror_work/untrust.log" 2>&1; then
        echo "No se pudo retirar la autoridad de pruebas; vea $mirror_work/untrust.log" >&2
        return 1
    fi
}

# The untrusting says so itself when it fails; the mirror stops regardless.
mirror_cleanup() {
    mirror_untrust || true
    mirror_stop
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case ${1:-} in
        write-conf) shift; mirror_write_conf "$@" ;;
        *)
            echo "uso: mirror.sh write-conf CARPETA PUERTO RAÍZ CERTIFICADO CLAVE [DIRECTIVA...]" >&2
            exit 2
            ;;
    esac
fi
