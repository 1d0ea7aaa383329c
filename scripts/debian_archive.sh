# Sourced by scripts and tests that reach the Debian archive. Everything about the archive (its
# address, suites, components and signing keys) is read from this machine's own apt configuration,
# so nothing here names a host and the machine's configuration is never changed.
# (KT_APT_ETC names another folder to read in place of /etc/apt.)
#
#   kt_apt_entries        one line per configured Debian archive: URI<TAB>suites<TAB>components<TAB>signed-by
#   kt_debian_mirror      the URI of the main archive (the one serving the release suite, not -security)
#   kt_private_apt DIR    makes DIR a private apt set-up with deb-src entries for every configured archive;
#                         prints the apt-get options that use it (one per line)

# The deb822 files in sources.list.d, then the one-line entries of sources.list.
kt_apt_entries() {
  local f
  for f in "${KT_APT_ETC:-/etc/apt}"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && uri != "" && enabled != "no")
          printf "%s\t%s\t%s\t%s\n", uri, suites, comps, signed
        types = uri = suites = comps = signed = enabled = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      {
        key = tolower($1); sub(/:$/, "", key)
        val = $0; sub(/^[^:]*:[ \t]*/, "", val); sub(/[ \t]+$/, "", val)
        if (key == "types") types = val
        else if (key == "uris") { split(val, u, /[ \t]+/); uri = u[1] }
        else if (key == "suites") suites = val
        else if (key == "components") comps = val
        else if (key == "signed-by") signed = val
        else if (key == "enabled") enabled = tolower(val)
      }
      END { flush() }' "$f"
  done
  for f in "${KT_APT_ETC:-/etc/apt}"/sources.list "${KT_APT_ETC:-/etc/apt}"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '
      /^[ \t]*deb[ \t]/ {
        signed = ""; i = 2
        if ($2 ~ /^\[/) {
          opts = ""
          for (; i <= NF; i++) { opts = opts " " $i; if ($i ~ /\]$/) { i++; break } }
          if (match(opts, /signed-by=[^] ]+/)) signed = substr(opts, RSTART + 10, RLENGTH - 10)
        }
        uri = $i; suite = $(i + 1); comps = ""
        for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
        printf "%s\t%s\t%s\t%s\n", uri, suite, comps, signed
      }' "$f"
  done
}

kt_debian_mirror() {
  local uri suites rest
  while IFS=$'\t' read -r uri suites rest; do
    case " $suites " in
      *-security*) ;;
      *) echo "${uri%/}"; return 0 ;;
    esac
  done < <(kt_apt_entries)
  return 1
}

kt_private_apt() {
  local dir=$1 uri suites comps signed
  mkdir -p "$dir/state/lists/partial" "$dir/cache/archives/partial" "$dir/etc"
  : >"$dir/etc/sources.sources"
  while IFS=$'\t' read -r uri suites comps signed; do
    {
      echo "Types: deb-src"
      echo "URIs: $uri"
      echo "Suites: $suites"
      echo "Components: $comps"
      [ -n "$signed" ] && echo "Signed-By: $signed"
      echo
    } >>"$dir/etc/sources.sources"
  done < <(kt_apt_entries)
  [ -s "$dir/etc/sources.sources" ] || { echo "no Debian archive in this machine's apt configuration" >&2; return 1; }
  # apt fetches as the unprivileged _apt user when started as root.
  if [ "$(id -u)" = 0 ] && id _apt >/dev/null 2>&1; then
    chown -R _apt "$dir/state/lists/partial" "$dir/cache/archives/partial"
  fi
  printf '%s\n' -o "Dir::Etc::SourceList=$dir/etc/sources.sources" -o "Dir::Etc::SourceParts=-" \
    -o "Dir::State=$dir/state" -o "Dir::Cache=$dir/cache" -o "Dir::State::status=/var/lib/dpkg/status"
}
