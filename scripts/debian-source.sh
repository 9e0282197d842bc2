# Sourced by the build scripts of the libraries built from Debian's source packages: fetches a source
# package into a cache folder and extracts it with Debian's patches applied.
# usage: debian_source PACKAGE CACHE   (extracts into CACHE/tree; nothing to do when that is there)
# A mirror may list a version (a new security update, say) before it serves its files: then the versions
# apt knows are tried newest first until one downloads, and the one taken is named.

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# apt-get source needs the source indices: deb-src beside every deb entry, then a fresh index.
enable_deb_src() {
  local changed=0 deb822=/etc/apt/sources.list.d/debian.sources legacy=/etc/apt/sources.list
  if [ -f "$deb822" ] && grep -q '^Types:' "$deb822" && grep '^Types:' "$deb822" | grep -qv 'deb-src'; then
    $SUDO sed -i '/^Types:/{/deb-src/!s/$/ deb-src/}' "$deb822"
    changed=1
  fi
  if [ -f "$legacy" ] && grep -q '^deb ' "$legacy" && ! grep -q '^deb-src ' "$legacy"; then
    sed -n 's/^deb /deb-src /p' "$legacy" | $SUDO tee -a "$legacy" >/dev/null
    changed=1
  fi
  # A mirror whose i386 security index lags behind fails the update but leaves the source indices usable.
  [ "$changed" -eq 0 ] || $SUDO apt-get update -qq </dev/null || true
}

# The source versions of PACKAGE that apt knows, newest first, one a line.
source_versions() {
  local name=$1 v sorted=() i j
  while read -r v; do
    sorted+=("$v")
    # Insertion by Debian's own version order (epochs and "~" included).
    for ((i = ${#sorted[@]} - 1; i > 0; i--)); do
      j=$((i - 1))
      dpkg --compare-versions "${sorted[i]}" gt "${sorted[j]}" || break
      v=${sorted[i]} sorted[i]=${sorted[j]} sorted[j]=$v
    done
  done < <(apt-cache showsrc "$name" 2>/dev/null | awk -v p="$name" '
    /^Package:/ { ours = ($2 == p) } ours && /^Version:/ { print $2 }' | sort -u)
  printf '%s\n' "${sorted[@]}"
}

debian_source() {
  local name=$1 cache=$2
  # As root apt would hand the download to its own user, who cannot write into the build folder, and warn.
  local fetch=(apt-get source --download-only -qq)
  [ "$(id -u)" -ne 0 ] || fetch+=(-o APT::Sandbox::User=root)
  mkdir -p "$cache"
  dsc() { find "$cache" -maxdepth 1 -name "${name}_*.dsc" | sort -V | tail -n 1; }
  if [ -z "$(dsc)" ]; then
    enable_deb_src
    local versions
    versions=$(source_versions "$name")
    if [ -z "$versions" ]; then
      # The source entries may be there but their index not yet fetched.
      $SUDO apt-get update -qq </dev/null || true
      versions=$(source_versions "$name")
    fi
    [ -n "$versions" ] || { echo "apt knows no source package $name (deb-src entries?)" >&2; return 1; }
    local version attempt taken=""
    for version in $versions; do
      # Each try downloads into a folder of its own, so that a half-served version leaves nothing behind.
      attempt=$(mktemp -d "$cache/try.XXXXXX")
      if (cd "$attempt" && "${fetch[@]}" "$name=$version" </dev/null) >"$attempt.log" 2>&1 &&
         [ -n "$(find "$attempt" -maxdepth 1 -name "${name}_*.dsc")" ]; then
        mv "$attempt"/* "$cache/"
        taken=$version
      else
        echo "$name $version: the mirror does not serve it, trying an older version" >&2
        sed 's/^/  /' "$attempt.log" | tail -n 3 >&2
      fi
      rm -rf "$attempt" "$attempt.log"
      [ -z "$taken" ] || break
    done
    [ -n "$taken" ] || { echo "no source version of $name could be downloaded ($(echo $versions))" >&2; return 1; }
    echo "$name: source package $taken" >&2
  fi
  local package
  package=$(dsc)
  [ -n "$package" ] || { echo "apt-get source brought no $name" >&2; return 1; }

  # Debian's patches come with the extraction. apt has checked the files against the signed index
  # already; the maintainer's signature would need a keyring this machine does not have.
  local tree="$cache/tree"
  if [ ! -f "$tree/CMakeLists.txt" ]; then
    rm -rf "$tree"
    dpkg-source --no-check -x "$package" "$tree" >/dev/null
  fi
}
