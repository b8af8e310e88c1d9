#!/bin/sh
# Runs a test program in a throw-away PostgreSQL cluster (PGHOST, PGPORT, ... set for it),
# kept in a temporary directory also as root, so other tests' clusters named alike do not
# collide with it.
if ! command -v pg_virtualenv >/dev/null 2>&1; then
  echo "pg_virtualenv is missing: apt-get install postgresql postgresql-common"
  exit 77
fi
exec pg_virtualenv -t -- "$@"
