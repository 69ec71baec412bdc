#!/usr/bin/env bash
# Installs the Debian packages FolhaZorvan needs to build, test and run.
# Only missing packages are installed; safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql
  postgresql postgresql-client
  libsodium-dev libxlsxwriter-dev pxlib-dev libcairo2-dev
  libgtest-dev googletest
  fonts-liberation2 qt6-translations-l10n
  poppler-utils unzip cups-client
  libxml2-dev libxmlsec1-dev libssl-dev xmlsec1 openssl
  libcurl4-openssl-dev libqpdf-dev qpdf python3 python3-aiosmtpd
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Instalando pacotes: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
