#!/usr/bin/env bash
# debian13-check.sh — checks the README's commands and the package on a
# fresh Debian 13 (trixie), as a school's administrator would meet them.
#
#   packaging/debian13-check.sh [WORKDIR]        (as root; needs debootstrap)
#   ORBELUNE_SUITE=bookworm packaging/debian13-check.sh [WORKDIR]   (Debian 12)
#
# In a new minimal trixie root (debootstrap --variant=minbase, from Debian's
# mirror; the pristine root is kept as WORKDIR/<suite>-minbase.tar and
# unpacked afresh at every run) it clones this repository's committed HEAD,
# runs ./run.sh (without a display: a screenshot on a private X server) and
# ./test.sh, builds the package with packaging/build-deb.sh, installs it with
# apt-get, checks the installed commands and purges it.  Each step's time is
# printed; the whole output is kept in WORKDIR/check.log.  Exit status 0
# when every step passed.  WORKDIR defaults to /var/tmp/orbelune-debian13;
# ORBELUNE_MIRROR overrides the mirror.  At the end, even after a failure,
# the processes left in the root are stopped, its mounts undone and the
# root removed (the tarball stays).  Takes 6 to 20 minutes on two cores,
# depending on the mirror and the load.  ORBELUNE_SUITE names another
# release (default trixie).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="${1:-/var/tmp/orbelune-debian13}"
mirror="${ORBELUNE_MIRROR:-http://deb.debian.org/debian}"
suite="${ORBELUNE_SUITE:-trixie}"
[ "$(id -u)" -eq 0 ] || { echo "debian13-check.sh : à lancer en root (chroot, mount)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "debian13-check.sh : debootstrap manque (apt-get install debootstrap)" >&2; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
root="$work/root"
tarball="$work/$suite-minbase.tar"
log="$work/check.log"
: > "$log"
exec > >(tee -a "$log") 2>&1

step_start=0
step() { step_start=$SECONDS; echo "== $(date '+%H:%M:%S') $*"; }
done_step() { echo "   ok en $((SECONDS - step_start)) s"; }

mounted=()
cleanup() {
  local status=$? pid m
  if [ -d "$root" ]; then
    # Processes whose root directory is the chroot: ours, started below.
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
      [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null || true
    done
    sleep 1
    for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
  fi
  echo "== fin : statut $status, $((SECONDS / 60)) min $((SECONDS % 60)) s en tout (journal : $log)"
}
trap cleanup EXIT

if [ ! -s "$tarball" ]; then
  step "debootstrap --variant=minbase $suite ($mirror)"
  rm -rf "$work/base"
  debootstrap --variant=minbase "$suite" "$work/base" "$mirror"
  tar -C "$work/base" -cf "$tarball.tmp" .
  mv "$tarball.tmp" "$tarball"
  rm -rf "$work/base"
  done_step
fi

step "racine neuve, clone de $(git -C "$top" rev-parse --short HEAD)"
rm -rf --one-file-system "$root"
mkdir -p "$root"
tar -C "$root" -xf "$tarball"
mount -t proc proc "$root/proc"; mounted+=("$root/proc")
mount -t sysfs sys "$root/sys"; mounted+=("$root/sys")
mount --bind /dev "$root/dev"; mounted+=("$root/dev")
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"; mounted+=("$root/dev/pts")
mount -t tmpfs tmpfs "$root/dev/shm"; mounted+=("$root/dev/shm")
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The host's trusted certificates go in too: where the network re-signs TLS
# with a local authority (a school's or a company's proxy), npm inside the
# root then reaches its registry as the host does.  apt needs nothing: it
# fetches over plain HTTP and checks signatures.
extra_ca=
if [ -s /etc/ssl/certs/ca-certificates.crt ]; then
  mkdir -p "$root/etc/ssl/certs"
  cp /etc/ssl/certs/ca-certificates.crt "$root/etc/ssl/certs/hote-ca.crt"
  extra_ca=NODE_EXTRA_CA_CERTS=/etc/ssl/certs/hote-ca.crt
fi
git clone -q --no-hardlinks "$top" "$root/root/orbelune"
cat "$root/etc/debian_version"
done_step

inside() {
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive $extra_ca \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/orbelune && $1" </dev/null
}

step "./run.sh (sans affichage)"
inside ./run.sh
done_step

step "./test.sh"
inside ./test.sh
done_step

step "packaging/build-deb.sh"
inside packaging/build-deb.sh
done_step

step "apt-get install ./build-deb/orbelune_*.deb, commandes installées, purge"
inside 'apt-get install -y -qq ./build-deb/orbelune_*.deb && dpkg -s orbelune | grep -E "^(Version|Depends|Recommends):" &&
  test -x /usr/bin/orbelune && test -L /usr/share/orbelune/simulgrav &&
  orbelune-trace --batches 2 --every 2 /usr/share/orbelune/DONNEES/donneesTIR.txt 2>/dev/null | head -n 3 &&
  apt-get purge -y -qq orbelune && ! test -e /usr/share/orbelune && ! test -e /usr/bin/orbelune'
done_step
echo "== $suite ($(cat "$root/etc/debian_version")) : tout est passé"
