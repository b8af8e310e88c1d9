#!/bin/sh
# Runs a test program with a PostgreSQL database of its own, named to it by libpq's PG*
# variables (hence its bare URI, postgresql://) and by KESTAL_TEST_POSTGRES:
#   - in the cluster its caller made, when KESTAL_POSTGRES_CLUSTER=shared (scripts/test.sh
#     --soak makes one with pg_virtualenv for all of its PostgreSQL tests): a fresh database in
#     it, dropped afterwards;
#   - otherwise in a throw-away cluster that Debian's pg_virtualenv makes and drops, kept in a
#     temporary directory (also as root), so other tests' clusters named alike never collide.
#   postgresql_for_test.sh PROGRAM [ARGUMENTS...]
set -u
if [ "${KESTAL_POSTGRES_CLUSTER:-}" = shared ]; then
  database="kestal_test_$$"
  createdb "$database" || exit 1
  PGDATABASE=$database KESTAL_TEST_POSTGRES=postgresql:// "$@"
  status=$?
  dropdb "$database"
  exit "$status"
fi
if ! command -v pg_virtualenv >/dev/null 2>&1; then
  echo "pg_virtualenv not found: apt-get install postgresql-common postgresql"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Clusters made at the same moment by others on this machine can take the same port: a
# cluster that did not start gets one more try; a test that failed does not.
for attempt in 1 2; do
  # shellcheck disable=SC2016 # the inner shell expands them
  pg_virtualenv -t -- sh -c 'touch "$0" && KESTAL_TEST_POSTGRES=postgresql:// exec "$@"' \
    "$scratch/started" "$@"
  status=$?
  if [ "$status" -eq 0 ] || [ -e "$scratch/started" ]; then exit "$status"; fi
  echo "no PostgreSQL cluster on attempt $attempt" >&2
done
exit "$status"
