#!/usr/bin/env bash
# Tries the Linux program's Debian package on this machine as a user would:
# installs it with apt, starts it the way a desktop starts its menu entry
# (gio launch) on a virtual display and waits for its window, then removes the
# package and checks that none of its files is left. Run as root, where the
# package is not installed: the machine is left as it was found, also when a
# step fails. scripts/release --try-package runs it on the package it made.
#
#   try-package.sh PACKAGE.deb
set -euo pipefail

fail() {
    echo "Error: $*" >&2
    exit 1
}

deb=$(realpath "${1:?uso: try-package.sh PAQUETE.deb}")
[ "$(id -u)" -eq 0 ] || fail "hace falta ser root para instalar el paquete"
for tool in apt-get gio xvfb-run xdotool desktop-file-validate; do
    command -v "$tool" > /dev/null || fail "falta $tool (scripts/install-deps --release)"
done
name=$(dpkg-deb -f "$deb" Package)
installed() {
    dpkg-query -W -f='${Status}' "$name" 2> /dev/null | grep -q ' installed$'
}
if installed; then
    fail "$name ya está instalado; el ensayo no toca una instalación existente"
fi
mapfile -t files < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$')

work=$(mktemp -d)
remove() {
    installed || return 0
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "$name" >> "$work/apt.log" 2>&1
}
trap 'remove || true; rm -rf "$work"' EXIT

echo "Instalando $(basename "$deb") con apt..."
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > "$work/apt.log" 2>&1; then
    cat "$work/apt.log" >&2
    fail "apt no pudo instalar el paquete"
fi
installed || fail "apt terminó sin dejar $name instalado"

entry=/usr/share/applications/$name.desktop
desktop-file-validate "$entry" || fail "la entrada de menú instalada no es válida"
echo "Iniciando la entrada de menú: $(grep '^Exec=' "$entry")"
# A home of its own, so the program finds no one's files and leaves none.
mkdir -p "$work/home"
launched=$(HOME=$work/home XDG_CACHE_HOME=$work/home/.cache xvfb-run -a \
    -s "-screen 0 1024x768x24" bash -c '
        gio launch "$1" > "$2/launch.log" 2>&1 || exit 1
        window=$(timeout 60 xdotool search --sync --name "Quibrant Visual" | head -n 1)
        [ -n "$window" ] || exit 2
        pid=$(xdotool getwindowpid "$window")
        readlink "/proc/$pid/exe"
        kill "$pid"
        for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.2; done
    ' try-package "$entry" "$work") || {
    cat "$work/launch.log" >&2 2> /dev/null || true
    fail "la entrada de menú no abrió la ventana del programa"
}
[ "$launched" = /usr/bin/quibrant-descarga ] ||
    fail "la ventana que se abrió es de $launched, no de /usr/bin/quibrant-descarga"
echo "La entrada de menú abre la ventana de $launched."

echo "Desinstalando $name..."
remove || { cat "$work/apt.log" >&2; fail "apt no pudo desinstalar el paquete"; }
! installed || fail "$name sigue instalado"
left=()
for file in "${files[@]}"; do
    if [ -e "$file" ] || [ -L "$file" ]; then
        left+=("$file")
    fi
done
[ ${#left[@]} -eq 0 ] || fail "quedan ficheros del paquete: ${left[*]}"
[ ! -e "/usr/share/doc/$name" ] || fail "queda la carpeta /usr/share/doc/$name"
echo "Instalado, iniciado desde el menú y desinstalado sin dejar ninguno de sus ${#files[@]} ficheros."
