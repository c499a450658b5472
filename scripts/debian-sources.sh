# shellcheck shell=bash
# Sourced by the cross builds (build-windows.sh, build-web.sh): fetches Debian's own sources of
# the libraries they build.
#   debian_sources_prepare CACHE_ROOT   sets apt_options, a private apt state with its index
#   debian_sources_dsc SOURCE...        prints the .dsc names (the versions), one a line
#   debian_sources_fetch DIR SOURCE...  unpacks the sources into DIR (the log shown on failure)
#   debian_source_dir DIR NAME          the folder the source NAME was unpacked into
# NOTE: a private apt state with only deb-src entries, made from this machine's sources: the
# system's apt configuration is left as it is, and no mirror is named here. Callers pin the
# suite to bookworm: the security suite's newer zlib and libpng sources are not on every mirror.

debian_sources_prepare() {
    local apt_dir="$1/apt-src" file
    apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d" -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache=$apt_dir/cache" -o "Debug::NoLocking=1" -o "APT::Sandbox::User=$(id -un)")
    # The index is refreshed weekly: a mirror drops the files of superseded versions.
    if [ -e "$apt_dir/ready" ] && [ -z "$(find "$apt_dir/ready" -mtime +6)" ]; then
        return 0
    fi
    rm -rf "$apt_dir"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    : > "$apt_dir/sources.list"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list > "$apt_dir/sources.list"
    fi
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        sed 's/^Types:.*/Types: deb-src/' "$file" > "$apt_dir/sources.list.d/$(basename "$file")"
    done
    for file in /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        sed -n 's/^deb[[:space:]]/deb-src /p' "$file" > "$apt_dir/sources.list.d/$(basename "$file")"
    done
    apt-get "${apt_options[@]}" -q update > "$apt_dir/update.log" 2>&1 || {
        cat "$apt_dir/update.log"
        return 1
    }
    touch "$apt_dir/ready"
}

debian_sources_dsc() {
    local names
    names="$(apt-get "${apt_options[@]}" source --print-uris "$@" 2> /dev/null |
        grep -o "[^/']*\.dsc'" | tr -d "'")"
    [ "$(printf '%s\n' "$names" | grep -c .)" -eq "$#" ] || {
        echo "cannot find the library sources: $names" >&2
        return 1
    }
    printf '%s\n' "$names"
}

debian_sources_fetch() {
    local dir="$1"
    shift
    (cd "$dir" && apt-get "${apt_options[@]}" -q source "$@" > fetch.log 2>&1) || {
        cat "$dir/fetch.log"
        return 1
    }
}

debian_source_dir() {
    find "$1" -mindepth 1 -maxdepth 1 -type d -name "$2-*" | head -n 1
}
