#!/usr/bin/env bash
# Starts lighttpd in the foreground serving a webcgi binary under /cgi-bin/webcgi/<path>.
#   webserver.sh ROOT PORT WEBCGI [NAME=VALUE ...]
# ROOT becomes webcgi's NVR_ROOT; lighttpd's own files live in ROOT/var/run/www.
# Further NAME=VALUE pairs are passed to webcgi's environment.
set -euo pipefail
root=$1 port=$2 webcgi=$3
shift 3
here=$(cd "$(dirname "$0")/.." && pwd)
state="$root/var/run/www"
docroot="$root/opt/app/www"
mkdir -p "$state" "$docroot"
extra=""
for pair in "$@"; do
  extra+=", \"${pair%%=*}\" => \"${pair#*=}\""
done
sed -e "s|@PORT@|$port|" -e "s|@DOCROOT@|$docroot|" -e "s|@STATEDIR@|$state|g" \
    -e "s|@WEBCGI@|$webcgi|" -e "s|@NVR_ROOT@|$root|" -e "s|@EXTRA_ENV@|$extra|" \
    "$here/web/lighttpd.conf.in" > "$state/lighttpd.conf"
exec lighttpd -D -f "$state/lighttpd.conf"
