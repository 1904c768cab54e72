#!/usr/bin/env bash
# Installs what the build, the tests and the headless run need; does nothing when all is there.
set -euo pipefail

packages=(cmake g++ make g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 xvfb xdotool
          imagemagick locales fonts-wqy-zenhei googletest x11-utils x11-xserver-utils wine64 g++-mingw-w64-x86-64
          python3)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes the ANSI code page from the Unix locale, which must be generated: zh_CN.UTF-8 gives
# code page 936 (where everything runs), en_US.UTF-8 1252 and ja_JP.UTF-8 932 (the code-page tests).
generate=false
for l in zh_CN en_US ja_JP; do
  locale -a 2>/dev/null | grep -qi "^$l\.utf8$" && continue
  sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" >> /etc/locale.gen
  generate=true
done
if $generate; then locale-gen >/dev/null; fi

# Wine runs as an ordinary user: as root it ignores Unix permissions, so read-only cases would pass
# for the wrong reason.
if ! id lumotest >/dev/null 2>&1; then
  useradd --create-home --shell /bin/bash lumotest
fi
