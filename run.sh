#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo installation when there
# is none, and starts the program on it.
#   ./run.sh                 demo installation in ./demo
#   ZORVAN_ROOT=DIR ./run.sh another installation root
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
ROOT="${ZORVAN_ROOT:-$PWD/demo}"
if [ ! -f "$ROOT/programa/dados.sqlite" ]; then
  build/bin/folha --root "$ROOT" init --demo
fi
if [ -x build/bin/FolhaZorvan ]; then
  exec build/bin/FolhaZorvan --root "$ROOT" "$@"
fi
# The desktop program comes with the screens; until then the command line
# shows the installation, signed in as the demo's supervisor unless told
# otherwise.
export FOLHA_USER="${FOLHA_USER:-000001}"
if [ "$FOLHA_USER" = 000001 ] && [ -z "${FOLHA_PASSWORD:-}" ]; then export FOLHA_PASSWORD=zorvan; fi
build/bin/folha --root "$ROOT" companies
echo
echo "Instalação em $ROOT. Experimente:"
echo "  export FOLHA_USER=000001 FOLHA_PASSWORD=zorvan"
echo "  build/bin/folha --root \"$ROOT\" sql --company 1 \"select CODFUN, NOME, VLR_SALAR from CADFUN\""
