#!/bin/sh
# Runs a test program against the PostgreSQL server of scripts/test; skipped
# (status 77) when none was started.
if [ -z "$SF_TEST_POSTGRESQL" ]; then
  echo "SF_TEST_POSTGRESQL is not set (no private PostgreSQL server): skipped"
  exit 77
fi
SF_TEST_STORE=postgresql exec "$@"
