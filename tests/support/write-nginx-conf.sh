#!/usr/bin/env bash
# Writes FOLDER/nginx.conf for a local HTTPS test mirror on 127.0.0.1: nginx in
# the foreground as one process, everything it writes kept in FOLDER, files
# served from ROOT as plain bytes. Extra directives go into the server block
# ("limit_rate 512k;").
#
#   write-nginx-conf.sh FOLDER PORT ROOT CERTIFICATE KEY [DIRECTIVE...]
#   nginx -p FOLDER -e FOLDER/error.log -c FOLDER/nginx.conf
set -euo pipefail

folder=${1:?usage: write-nginx-conf.sh FOLDER PORT ROOT CERTIFICATE KEY [DIRECTIVE...]}
port=${2:?missing the port}
root=${3:?missing the folder to serve}
certificate=${4:?missing the certificate}
key=${5:?missing the key}
shift 5

mkdir -p "$folder"
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
