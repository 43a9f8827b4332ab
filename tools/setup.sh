#!/bin/bash
# Prepares this machine and one build tree: installs the Debian packages the
# build and the tests need, cross-builds the mingw dependencies (PCRE,
# GoogleTest, HDF5 and netCDF-C) into <build>/deps and makes the map files of
# the program's working folder <build>/run. Safe to run again: a second run only checks.
#
#   tools/setup.sh [BUILD_DIR]      BUILD_DIR defaults to build/ in the source tree
#
# Needs root or sudo only when a package is missing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
build=${1:-$root/build}
mkdir -p "$build"
build=$(cd "$build" && pwd -P)
deps=$build/deps
toolchain=$root/cmake/mingw-w64-x86_64.cmake
triplet=x86_64-w64-mingw32

packages=(
    # build
    cmake ninja-build make dpkg-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    # zlib for mingw (static libz.a), which HDF5 and netCDF-C link
    libz-mingw-w64-dev
    googletest
    # running Windows programs: Wine, its fonts (Marlett draws window
    # buttons and check marks) and the X extensions its X11 driver uses
    wine64 fonts-wine fonts-liberation
    libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
    # display for window tests and screenshots
    xvfb xauth imagemagick
    # tools/import-grid: netCDF through netCDF4 or xarray; its tests compare
    # dates with cftime and run xarray without netCDF4, which reads netCDF-4
    # through h5netcdf and netCDF-3 through scipy
    python3-numpy
    python3-netcdf4
    python3-cftime
    python3-xarray
    python3-h5netcdf
    python3-scipy
    # the importer's hostile-input test writes plain HDF5 files, without netCDF
    python3-h5py
    # map pictures: NASA Blue Marble and night lights, and Python's imaging
    # library that scales them and draws the land/water picture (and, in
    # tests/imageout, decodes the program's GIF files independently)
    xplanet-images python3-pil
    # the setup program (makensis, with its 64-bit stubs and plugins)
    nsis
    # the update tests' loopback HTTPS server makes its certificates
    openssl
)
# npm fetches the Natural Earth outlines (world-atlas). A Node.js that brings
# its own npm (NodeSource's) needs no Debian npm, which would clash with it.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

say() { echo "setup: $*"; }
die() {
    echo "setup: $*" >&2
    exit 1
}

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        die "need root (or sudo) to run: $*"
    fi
}

# Waits while another apt-get or dpkg (an unattended or earlier install)
# holds the package database, instead of failing on its lock.
wait_for_package_manager() {
    local waited=0 busy comm
    while :; do
        busy=""
        for comm in /proc/[0-9]*/comm; do
            case $(cat "$comm" 2>/dev/null) in
            apt-get | apt | dpkg | aptitude | unattended-upgr) busy=yes; break ;;
            esac
        done
        [[ -z $busy ]] && return 0
        ((waited % 30 == 0)) && say "waiting for another package install to finish"
        ((waited >= 1800)) && die "package manager still busy after 30 minutes"
        sleep 2
        waited=$((waited + 2))
    done
}

apt_get() {
    wait_for_package_manager
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 "$@"
}

apt_updated=""
apt_update_once() {
    [[ -n $apt_updated ]] && return 0
    apt_get update
    apt_updated=yes
}

is_installed() {
    [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]
}

install_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
        is_installed "$package" || missing+=("$package")
    done
    if [[ ${#missing[@]} -eq 0 ]]; then
        return 0
    fi
    say "installing ${missing[*]}"
    apt_update_once
    apt_get install -y --no-install-recommends "${missing[@]}"
}

codename() {
    local VERSION_CODENAME=""
    # shellcheck disable=SC1091
    [[ -r /etc/os-release ]] && . /etc/os-release
    echo "${VERSION_CODENAME:-bookworm}"
}

# Prints the fields of the enabled deb822 stanzas in FILES as
# "types|uris|suites|components|signed-by", one stanza a line.
deb822_stanzas() {
    awk -v RS= -F '\n' '
        {
            types = uris = suites = comps = signed = ""; enabled = "yes"
            for (i = 1; i <= NF; i++) {
                line = $i
                if (line ~ /^[[:space:]]*#/) continue
                split(line, kv, ":")
                key = tolower(kv[1]); value = substr(line, length(kv[1]) + 2)
                gsub(/^[[:space:]]+|[[:space:]]+$/, "", value)
                if (key == "types") types = value
                else if (key == "uris") uris = value
                else if (key == "suites") suites = value
                else if (key == "components") comps = value
                else if (key == "signed-by") signed = value
                else if (key == "enabled") enabled = tolower(value)
            }
            if (types != "" && enabled != "no")
                print types "|" uris "|" suites "|" comps "|" signed
        }' "$@" 2>/dev/null
}

has_word() { [[ " $1 " == *" $2 "* ]]; }

# True when a deb-src entry for <codename> main is configured, in the
# one-line format or in a deb822 .sources file.
has_deb_src() {
    local suite=$1 files=() line types uris suites comps signed
    files=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
    if grep -hsE "^[[:space:]]*deb-src([[:space:]]+\[[^]]*\])?[[:space:]]+[^[:space:]]+[[:space:]]+$suite[[:space:]]+(.*[[:space:]])?main([[:space:]]|\$)" \
        "${files[@]}" >/dev/null; then
        return 0
    fi
    while IFS='|' read -r types uris suites comps signed; do
        has_word "$types" deb-src && has_word "$suites" "$suite" && has_word "$comps" main && return 0
    done < <(deb822_stanzas /etc/apt/sources.list.d/*.sources)
    return 1
}

# The mirror (and key) of the configured binary entry for <codename> main, so
# that the source entry uses the same one.
binary_mirror() {
    local suite=$1 types uris suites comps signed
    while IFS='|' read -r types uris suites comps signed; do
        if has_word "$types" deb && has_word "$suites" "$suite" && has_word "$comps" main; then
            echo "${uris%% *}|$signed"
            return 0
        fi
    done < <(deb822_stanzas /etc/apt/sources.list.d/*.sources)
    awk -v suite="$suite" '
        $1 == "deb" {
            n = 2
            if ($n ~ /^\[/) { while (n < NF && $n !~ /\]$/) n++; n++ }
            if ($(n + 1) != suite) next
            for (i = n + 2; i <= NF; i++) if ($i == "main") { print $n "|"; exit }
        }' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | head -n 1
}

ensure_deb_src() {
    local suite mirror uri signed file=/etc/apt/sources.list.d/orvex-deb-src.sources
    suite=$(codename)
    if ! has_deb_src "$suite"; then
        mirror=$(binary_mirror "$suite")
        uri=${mirror%%|*}
        signed=${mirror#*|}
        [[ -n $uri ]] || uri=http://deb.debian.org/debian
        if [[ -z $signed && -r /usr/share/keyrings/debian-archive-keyring.gpg ]]; then
            signed=/usr/share/keyrings/debian-archive-keyring.gpg
        fi
        say "adding a deb-src entry for $suite main ($uri)"
        {
            echo "Types: deb-src"
            echo "URIs: $uri"
            echo "Suites: $suite"
            echo "Components: main"
            [[ -n $signed ]] && echo "Signed-By: $signed"
        } | as_root tee "$file" >/dev/null
        apt_updated=""
    fi
    if ! apt-cache showsrc pcre3 2>/dev/null | grep -q '^Package: pcre3'; then
        apt_update_once
    fi
}

# PCRE 8 (classic API) as a static mingw library, from Debian's own source
# package with its patches. Users define PCRE_STATIC.
pcre_flags="--host=$triplet --disable-shared --enable-static --disable-cpp"
build_pcre() {
    local prefix=$deps/pcre stamp=$deps/pcre/.orvex-stamp
    local want="pcre3 $pcre_flags"
    if [[ -f $stamp && $(cat "$stamp") == "$want" && -f $prefix/lib/libpcre.a ]]; then
        return 0
    fi
    local started=$SECONDS src=$deps/src/pcre3
    say "building PCRE for mingw into $prefix"
    ensure_deb_src
    rm -rf "$src" "$prefix"
    mkdir -p "$src"
    (cd "$src" && apt-get source -q --download-only pcre3) >"$deps/pcre-download.log" 2>&1 ||
        { cat "$deps/pcre-download.log" >&2; die "apt-get source pcre3 failed"; }
    local dsc
    dsc=$(ls "$src"/pcre3_*.dsc | head -n 1)
    (cd "$src" && dpkg-source -x "$dsc" tree) >"$deps/pcre-unpack.log" 2>&1 ||
        { cat "$deps/pcre-unpack.log" >&2; die "dpkg-source -x failed"; }
    # Debian's patches touch Makefile.am and configure.ac (only the shared
    # library's version, which a static build does not use). Date the
    # generated files after their inputs so that make does not ask for automake.
    (
        cd "$src/tree"
        now=$(date +%s)
        touch -d "@$((now - 20))" configure.ac Makefile.am acinclude.m4 m4/*.m4 2>/dev/null || true
        touch -d "@$((now - 10))" aclocal.m4
        touch -d "@$now" configure Makefile.in config.h.in
    )
    # shellcheck disable=SC2086
    (
        cd "$src/tree"
        ./configure $pcre_flags --prefix="$prefix" CC="$triplet-gcc-posix" AR="$triplet-ar" \
            RANLIB="$triplet-ranlib" CFLAGS="-O2"
        make -j"$(nproc)" libpcre.la
        make install-libLTLIBRARIES install-includeHEADERS install-nodist_includeHEADERS
    ) >"$deps/pcre-build.log" 2>&1 || { tail -n 40 "$deps/pcre-build.log" >&2; die "PCRE build failed"; }
    [[ -f $prefix/lib/libpcre.a && -f $prefix/include/pcre.h ]] || die "PCRE did not install"
    echo "$want" >"$stamp"
    say "PCRE done in $((SECONDS - started)) s"
}

# Downloads and unpacks Debian's source package NAME, with Debian's patches
# and then ours (the files named after NAME), into <deps>/src/NAME/tree.
unpack_debian_source() {
    local name=$1 src=$deps/src/$1 dsc
    ensure_deb_src
    rm -rf "$src"
    mkdir -p "$src"
    (cd "$src" && apt-get source -q --download-only "$name") >"$deps/$name-download.log" 2>&1 ||
        { cat "$deps/$name-download.log" >&2; die "apt-get source $name failed"; }
    dsc=$(ls "$src/${name}"_*.dsc | head -n 1)
    (cd "$src" && dpkg-source -x "$dsc" tree) >"$deps/$name-unpack.log" 2>&1 ||
        { cat "$deps/$name-unpack.log" >&2; die "dpkg-source -x $dsc failed"; }
    local patch
    for patch in "${@:2}"; do
        patch -d "$src/tree" -p1 --forward <"$patch" >>"$deps/$name-unpack.log" 2>&1 ||
            { cat "$deps/$name-unpack.log" >&2; die "$patch does not apply to $name"; }
    done
}

# Cross-builds Debian's source package NAME with CMake and installs it into
# <deps>/NAME; TITLE names it in messages. The build runs in the current
# folder (see HDF5 below) and its Windows programs in this tree's Wine prefix.
cmake_build_debian_source() {
    local name=$1 title=$2 work=$deps/$1-build
    shift 2
    local patches=()
    while [[ ${1:-} == --patch ]]; do
        patches+=("$2")
        shift 2
    done
    unpack_debian_source "$name" "${patches[@]}"
    rm -rf "$work" "${deps:?}/$name"
    mkdir -p "$work"
    (
        cd "$work"
        export ORVEX_BUILD_DIR=$build
        cmake -S "$deps/src/$name/tree" -B . -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/$name" "$@"
        cmake --build .
        cmake --install .
    ) >"$deps/$name-build.log" 2>&1 || { tail -n 40 "$deps/$name-build.log" >&2; die "$title build failed"; }
    rm -rf "$work" "$deps/src/$name"
}

mingw_zlib=/usr/$triplet/lib/libz.a
mingw_zlib_include=/usr/$triplet/include

# HDF5's C library and its high-level part (netCDF-4 needs its dimension
# scales) as static mingw libraries. Its build runs detection programs:
# during the configure step through CMake's try_run and during the build
# (H5detect, H5make_libsettings), all under Wine through the toolchain's
# emulator, with this build tree's Wine prefix. try_run leaves its results
# in the current folder, which must therefore be the build folder.
hdf5_flags=(-DBUILD_SHARED_LIBS=OFF -DONLY_SHARED_LIBS=OFF -DBUILD_TESTING=OFF
    -DHDF5_BUILD_TOOLS=OFF -DHDF5_BUILD_EXAMPLES=OFF -DHDF5_BUILD_UTILS=OFF
    -DHDF5_BUILD_HL_LIB=ON -DHDF5_BUILD_CPP_LIB=OFF -DHDF5_BUILD_FORTRAN=OFF -DHDF5_BUILD_JAVA=OFF
    -DHDF5_ENABLE_THREADSAFE=OFF -DHDF5_ENABLE_SZIP_SUPPORT=OFF
    -DHDF5_ENABLE_Z_LIB_SUPPORT=ON -DZLIB_USE_EXTERNAL=OFF
    -DZLIB_LIBRARY="$mingw_zlib" -DZLIB_LIBRARY_RELEASE="$mingw_zlib" -DZLIB_INCLUDE_DIR="$mingw_zlib_include"
    # mingw has unistd.h but not the sys/wait.h that HDF5 includes with it;
    # HDF5's Windows code needs neither.
    -DH5_HAVE_UNISTD_H:INTERNAL=)
build_hdf5() {
    local prefix=$deps/hdf5 stamp=$deps/hdf5/.orvex-stamp want
    want="hdf5 $(apt-cache showsrc hdf5 2>/dev/null | awk '/^Version:/ { print $2; exit }') ${hdf5_flags[*]}"
    if [[ -f $stamp && $(cat "$stamp") == "$want" && -f $prefix/lib/libhdf5.a ]]; then
        return 0
    fi
    local started=$SECONDS
    say "building HDF5 for mingw into $prefix"
    cmake_build_debian_source hdf5 HDF5 "${hdf5_flags[@]}"
    [[ -f $prefix/lib/libhdf5.a && -f $prefix/lib/libhdf5_hl.a ]] || die "HDF5 did not install"
    echo "$want" >"$stamp"
    say "HDF5 done in $((SECONDS - started)) s"
}

# netCDF-C: netCDF-3 (classic, 64-bit offset) and netCDF-4 on the HDF5
# above; no DAP, no network, no utilities, no plugins. Our patch makes it
# take paths in UTF-8 on Windows, as HDF5 does, instead of the ANSI code
# page, which cannot spell every name Windows allows. HAVE_HDF5_H is given
# because netCDF's own search for hdf5.h would look inside the mingw sysroot
# only.
netcdf_flags=(-DBUILD_SHARED_LIBS=OFF -DENABLE_TESTS=OFF -DBUILD_UTILITIES=OFF -DENABLE_EXAMPLES=OFF
    -DENABLE_DAP=OFF -DENABLE_DAP4=OFF -DENABLE_BYTERANGE=OFF -DENABLE_NCZARR=OFF -DENABLE_PLUGINS=OFF
    -DENABLE_FILTER_TESTING=OFF -DENABLE_LIBXML2=OFF -DENABLE_HDF4=OFF -DENABLE_PARALLEL4=OFF
    -DENABLE_DOXYGEN=OFF -DENABLE_V2_API=OFF -DENABLE_MMAP=OFF
    -DZLIB_LIBRARY="$mingw_zlib" -DZLIB_INCLUDE_DIR="$mingw_zlib_include")
netcdf_patch=$root/tools/netcdf-utf8-paths.patch
build_netcdf() {
    local prefix=$deps/netcdf stamp=$deps/netcdf/.orvex-stamp want
    want="netcdf $(apt-cache showsrc netcdf 2>/dev/null | awk '/^Version:/ { print $2; exit }') ${netcdf_flags[*]} $(cat "$deps/hdf5/.orvex-stamp") $(sha256sum <"$netcdf_patch" | cut -c1-16)"
    if [[ -f $stamp && $(cat "$stamp") == "$want" && -f $prefix/lib/libnetcdf.a ]]; then
        return 0
    fi
    local started=$SECONDS hdf5=$deps/hdf5
    say "building netCDF-C for mingw into $prefix"
    cmake_build_debian_source netcdf netCDF-C --patch "$netcdf_patch" "${netcdf_flags[@]}" \
        -DHDF5_C_LIBRARY="$hdf5/lib/libhdf5.a" -DHDF5_HL_LIBRARY="$hdf5/lib/libhdf5_hl.a" \
        -DHDF5_INCLUDE_DIR="$hdf5/include" -DHAVE_HDF5_H="$hdf5/include"
    [[ -f $prefix/lib/libnetcdf.a && -f $prefix/include/netcdf.h ]] || die "netCDF-C did not install"
    echo "$want" >"$stamp"
    say "netCDF-C done in $((SECONDS - started)) s"
}

# GoogleTest and GoogleMock from Debian's googletest sources, cross-built
# with the project's toolchain.
build_gtest() {
    local prefix=$deps/gtest stamp=$deps/gtest/.orvex-stamp want
    want="googletest $(dpkg-query -W -f='${Version}' googletest) pthreads-off"
    if [[ -f $stamp && $(cat "$stamp") == "$want" && -f $prefix/lib/libgtest.a ]]; then
        return 0
    fi
    local started=$SECONDS work=$deps/gtest-build
    say "building GoogleTest for mingw into $prefix"
    rm -rf "$work" "$prefix"
    (
        cmake -S /usr/src/googletest -B "$work" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=ON
        cmake --build "$work"
        cmake --install "$work"
    ) >"$deps/gtest-build.log" 2>&1 || { tail -n 40 "$deps/gtest-build.log" >&2; die "GoogleTest build failed"; }
    rm -rf "$work"
    echo "$want" >"$stamp"
    say "GoogleTest done in $((SECONDS - started)) s"
}

# The map files in the program's working folder: the coastlines
# (worldmap.txt) and the land/water picture (weltkarte3.jpg) from the Natural
# Earth land outlines of npm's world-atlas, the satellite and night pictures
# (weltkarte1.jpg, weltkarte2.jpg) from xplanet-images. Made again only when
# an input or the tool has changed.
map_assets=(worldmap.txt weltkarte1.jpg weltkarte2.jpg weltkarte3.jpg)
make_map_assets() {
    local tool=$root/tools/mapassets work=$deps/mapassets run=$build/run
    local images=/usr/share/xplanet/images stamp=$deps/mapassets/.orvex-stamp want name
    local land=$work/node_modules/world-atlas/land-50m.json
    want=$(cat "$tool"/package.json "$tool"/package-lock.json "$tool"/*.py \
        "$images"/earth.jpg "$images"/night.jpg | sha256sum)
    local complete=yes
    for name in "${map_assets[@]}"; do
        [[ -s $run/$name ]] || complete=""
    done
    if [[ -n $complete && -f $stamp && $(cat "$stamp") == "$want" ]]; then
        return 0
    fi
    local started=$SECONDS
    say "making the map files in $run"
    mkdir -p "$work" "$run"
    if ! cmp -s "$tool/package-lock.json" "$work/package-lock.json" || [[ ! -f $land ]]; then
        cp "$tool/package.json" "$tool/package-lock.json" "$work"/
        (cd "$work" && npm ci --no-audit --no-fund --fetch-timeout=60000) >"$deps/mapassets-npm.log" 2>&1 || {
            cat "$deps/mapassets-npm.log" >&2
            rm -f "$work/package-lock.json"
            die "npm could not install world-atlas from the npm registry"
        }
        [[ -f $land ]] || die "npm installed world-atlas without $land"
    fi
    /usr/bin/python3 -B "$tool/make_map_assets.py" --land "$land" --images "$images" --out "$run" ||
        die "making the map files failed"
    echo "$want" >"$stamp"
    say "map files done in $((SECONDS - started)) s"
}

install_packages
mkdir -p "$deps"
exec 9>"$deps/.setup.lock"
flock 9
build_pcre
build_gtest
build_hdf5
build_netcdf
# HDF5's and netCDF-C's detection programs may have left Wine running.
[[ -d $build/wineprefix ]] && { bash "$root/cmake/wine-run.sh" --build-dir "$build" --stop >/dev/null 2>&1 || true; }
make_map_assets
