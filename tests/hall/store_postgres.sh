#!/bin/sh
# Runs the store's PostgreSQL cases on a throw-away cluster made by pg_virtualenv, whose PG*
# variables tell libpq where it is (hence the bare URI).
#   store_postgres.sh STORE_TESTS
set -eu
if ! command -v pg_virtualenv >/dev/null 2>&1; then
  echo "pg_virtualenv not found: apt-get install postgresql-common postgresql"
  exit 77
fi
exec pg_virtualenv -- sh -c 'KESTAL_TEST_POSTGRES=postgresql:// exec "$0" --gtest_filter=*Postgres*' "$1"
