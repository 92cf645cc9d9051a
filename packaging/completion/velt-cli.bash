# bash completion for velt-cli. Commands and options come from its --help, the cipher and hash
# labels from `velt-cli list` (blanks taken out: labels are compared without case and blanks),
# so that they stay those of the program being completed.

# _velt_cli_words CMD [SUBCOMMAND]: the subcommands (without SUBCOMMAND) or the options that
# `CMD [SUBCOMMAND] --help` lists.
_velt_cli_words() {
  "$1" ${2:+"$2"} --help 2>/dev/null | awk '
    /^[A-Z][a-z]*:/ { section = $1; next }
    section == "Subcommands:" && /^  [a-z]/ { print $1 }
    section == "Options:" && /^  -/ {
      names = $1; sub(/[{:].*/, "", names); n = split(names, a, ",")
      for (i = 1; i <= n; i++) print a[i]
    }'
}

# _velt_cli_labels CMD Ciphers|Hashes: the labels of one section of `CMD list`.
_velt_cli_labels() {
  "$1" list 2>/dev/null | awk -v want="$2" '
    /^[A-Z]/ { section = $1; next }
    section == want { label = substr($0, 7, 10); gsub(/ /, "", label); print label }'
}

# _velt_cli_any_case WORD...: COMPREPLY gets the words that begin with $cur in any letter case.
_velt_cli_any_case() {
  local w nocase
  nocase=$(shopt -p nocasematch)
  shopt -s nocasematch
  COMPREPLY=()
  for w; do [[ $w == "$cur"* ]] && COMPREPLY+=("$w"); done
  $nocase
}

_velt_cli() {
  local cur prev words cword
  _init_completion || return

  local prog=${words[0]} cmd i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      encrypt | decrypt | info | list | selftest) cmd=${words[i]}; break ;;
    esac
  done
  if [ -z "$cmd" ]; then
    COMPREPLY=($(compgen -W "$(_velt_cli_words "$prog")" -- "$cur"))
    return
  fi
  case $prev in
    -c | --cipher) _velt_cli_any_case $(_velt_cli_labels "$prog" Ciphers) ;;
    -H | --hash) _velt_cli_any_case $(_velt_cli_labels "$prog" Hashes) ;;
    --password-env) COMPREPLY=($(compgen -v -- "$cur")) ;;
    --level) COMPREPLY=($(compgen -W "default fastest best" -- "$cur")) ;;
    -j | --jobs | --extension) ;;
    *)
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_velt_cli_words "$prog" "$cmd")" -- "$cur"))
      elif [[ $cmd == encrypt || $cmd == decrypt || $cmd == info ]]; then
        _filedir # also the FILE of --password-file
      fi
      ;;
  esac
}
complete -F _velt_cli velt-cli
