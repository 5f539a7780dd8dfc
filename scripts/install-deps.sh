#!/usr/bin/env bash
# Installs whatever Ravelin needs to build, test and run on Debian 12 that is
# not there yet. Safe to run again: it asks apt only for missing packages.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libgl-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev
  xvfb xauth fonts-dejavu-core
  openarena-server
  lua5.4 python3
  clang libclang-rt-14-dev
  libsqlite3-dev qt6-httpserver-dev qt6-websockets-dev chromium
  systemd dbus-daemon
  openssh-client openssh-server
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=sudo
  else
    echo "install-deps: not root; run this first:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# The OpenArena server is only needed by the real-server tests; when it cannot
# be installed those tests say SKIPPED, so its failure must not stop the rest.
core=()
for p in "${missing[@]}"; do
  [ "$p" = openarena-server ] || core+=("$p")
done
# The remote tests start an sshd of their own on a loopback port: the
# system's ssh service must not be started or enabled by the install.
ssh_server=
no_start=
if printf '%s\n' "${missing[@]}" | grep -qx openssh-server; then
  ssh_server=1
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
    $SUDO chmod 755 /usr/sbin/policy-rc.d
    no_start=1
  fi
fi
if [ ${#core[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${core[@]}"
fi
[ -z "$no_start" ] || $SUDO rm -f /usr/sbin/policy-rc.d
if [ -n "$ssh_server" ]; then
  if command -v systemctl >/dev/null 2>&1 && [ -d /run/systemd/system ]; then
    $SUDO systemctl disable --now ssh.service ssh.socket 2>/dev/null || true
  else
    $SUDO update-rc.d ssh disable 2>/dev/null || true
  fi
fi
if printf '%s\n' "${missing[@]}" | grep -qx openarena-server; then
  $SUDO apt-get install -y -qq --no-install-recommends openarena-server \
    || echo "install-deps: openarena-server could not be installed; real-server tests will be skipped" >&2
fi
