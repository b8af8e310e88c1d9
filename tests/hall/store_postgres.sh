#!/bin/sh
# Runs the store's PostgreSQL cases on a throw-away cluster made by pg_virtualenv, whose PG*
# variables tell libpq where it is (hence the bare URI).
#   store_postgres.sh STORE_TESTS
set -u
if ! command -v pg_virtualenv >/dev/null 2>&1; then
  echo "pg_virtualenv not found: apt-get install postgresql-common postgresql"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Clusters made at the same moment by others on this machine can take the same port: a
# cluster that did not start gets one more try; a test that failed does not.
for attempt in 1 2; do
  pg_virtualenv -t -- sh -c \
    'touch "$1" && KESTAL_TEST_POSTGRES=postgresql:// exec "$0" --gtest_filter=*Postgres*' \
    "$1" "$scratch/started"
  status=$?
  if [ "$status" -eq 0 ] || [ -e "$scratch/started" ]; then exit "$status"; fi
  echo "no PostgreSQL cluster on attempt $attempt" >&2
done
exit "$status"
