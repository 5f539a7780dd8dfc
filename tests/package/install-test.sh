#!/bin/sh
# Installs the build into a temporary prefix, checks the layout, runs the
# installed programs and lets a first start seed the per-user folder.
set -eu
build=$1
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/ravelin-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

for file in bin/ravelin bin/ravelin-console bin/q3sim bin/ravelin-vbs libexec/ravelin/gatehop \
    share/ravelin/Scripts/InitScripts.txt share/ravelin/img/tab_sys_on.gif \
    share/applications/org.ravelin.Ravelin.desktop \
    share/icons/hicolor/scalable/apps/org.ravelin.Ravelin.svg \
    share/metainfo/org.ravelin.Ravelin.metainfo.xml lib/systemd/user/ravelin-console@.service; do
    [ -e "$prefix/$file" ] || fail "$file was not installed"
done
[ -x "$prefix/libexec/ravelin/gatehop" ] || fail "gatehop is not executable"
[ ! -e "$prefix/share/ravelin/img/make-tabs.sh" ] || fail "the picture maker was installed"

# Nothing of the test's or the operator's own folders is touched.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset RAVELIN_HOME

# --help and --version answer on a terminal without any display (as over
# ssh); without them ravelin says it needs one instead of aborting.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
out=$(nodisplay "$prefix/bin/ravelin" --version) || fail "ravelin --version"
[ "$out" = "Ravelin $version" ] || fail "ravelin --version said: $out"
nodisplay "$prefix/bin/ravelin" --help | grep -q -- "--no-version-check" || fail "ravelin --help"
status=0
nodisplay "$prefix/bin/ravelin" 2>"$work/nodisplay.log" || status=$?
[ "$status" = 1 ] && grep -q "no display" "$work/nodisplay.log" || fail "ravelin without a display: status $status"

export QT_QPA_PLATFORM=offscreen
"$prefix/bin/ravelin-console" --help | grep -q "usage: ravelin-console" || fail "ravelin-console --help"
for program in ravelin-console q3sim ravelin-vbs; do
    out=$("$prefix/bin/$program" --version) || fail "$program --version"
    [ "$out" = "$program $version" ] || fail "$program --version said: $out"
done
out=$("$prefix/libexec/ravelin/gatehop" --version)
[ "$out" = "gatehop $version" ] || fail "gatehop --version said: $out"

# A first start (no servers) seeds ~/.local/share/ravelin from the install.
"$prefix/bin/ravelin" --report-start --driver-timeout 60 >"$work/start.log" 2>&1 || { cat "$work/start.log"; fail "first start"; }
for item in Scripts/InitScripts.txt img/tab_sys_on.gif gatehop; do
    [ -e "$XDG_DATA_HOME/ravelin/$item" ] || fail "first start did not seed $item"
done
[ -x "$XDG_DATA_HOME/ravelin/gatehop" ] || fail "seeded gatehop is not executable"

# The user unit template, as an instance with a profile: systemd finds the
# host on its own search path once installed in /usr; here it is named by
# its place in the prefix. Any complaint fails, not only errors.
if command -v systemd-analyze >/dev/null; then
    mkdir -p "$XDG_CONFIG_HOME/ravelin/servers"
    echo "RAVELIN_SERVER=$prefix/bin/q3sim +map q3dm17" >"$XDG_CONFIG_HOME/ravelin/servers/demo.conf"
    sed "s|^ExecStart=ravelin-console |ExecStart=$prefix/bin/ravelin-console |" \
        "$prefix/lib/systemd/user/ravelin-console@.service" >"$work/ravelin-console@demo.service"
    (cd "$work" && systemd-analyze --user verify "$work/ravelin-console@demo.service") >"$work/verify.log" 2>&1 \
        && [ ! -s "$work/verify.log" ] || { cat "$work/verify.log"; fail "systemd-analyze --user verify"; }
fi

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/org.ravelin.Ravelin.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.ravelin.Ravelin.metainfo.xml" \
        >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log"; fail "metainfo"; }
fi
echo "installed and ran from $prefix"
