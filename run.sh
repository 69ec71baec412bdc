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
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/FolhaZorvan --root "$ROOT" "$@"
fi
# Without a display the desktop program cannot open its window: the demo
# month runs through the command line instead, signed in as the demo's
# supervisor unless told otherwise.
echo "Nenhuma tela disponível (\$DISPLAY e \$WAYLAND_DISPLAY vazios): o FolhaZorvan não pode abrir a janela."
echo "Rodando o mês de demonstração pelo folha (empresa 1, filial 001)."
echo
export FOLHA_USER="${FOLHA_USER:-000001}"
if [ "$FOLHA_USER" = 000001 ] && [ -z "${FOLHA_PASSWORD:-}" ]; then export FOLHA_PASSWORD=zorvan; fi
build/bin/folha --root "$ROOT" calc --company 1 --branch 001
echo
build/bin/folha --root "$ROOT" events --company 1 --branch 001
echo
echo "Instalação em $ROOT. Com uma tela, ./run.sh abre o FolhaZorvan (usuário 000001, senha zorvan)."
