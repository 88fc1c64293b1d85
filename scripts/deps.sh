#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need,
# when they are missing. Run as root.
set -euo pipefail

pkgs=(g++ cmake ninja-build ccache pkg-config qt6-base-dev libqt6sql6-mysql libmariadb-dev qt6-translations-l10n
      libgl-dev mariadb-server mariadb-client fonts-liberation2 fontconfig xvfb xauth poppler-utils locales openbox
      qt6-multimedia-dev)
pkgs+=("$@")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages and not root: run as root or install them: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # The server package must not start or enable the system service for us.
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d.ordal
  chmod +x /usr/sbin/policy-rc.d.ordal
  if [ ! -e /usr/sbin/policy-rc.d ]; then cp /usr/sbin/policy-rc.d.ordal /usr/sbin/policy-rc.d; ours=1; else ours=0; fi
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
  if [ "$ours" = 1 ]; then rm -f /usr/sbin/policy-rc.d; fi
  rm -f /usr/sbin/policy-rc.d.ordal
fi

# The control room runs ru_RU.UTF-8 (a decimal comma); the tests run in it too.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  if [ "$(id -u)" != 0 ]; then
    echo "the locale ru_RU.UTF-8 is missing and not root: run as root or generate it" >&2
    exit 1
  fi
  echo "generating the locale ru_RU.UTF-8"
  sed -i 's/^#[[:space:]]*\(ru_RU\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'ru_RU\.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
