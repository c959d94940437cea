# bash completion for orvane-cli: commands, options, and the file names each
# command takes (.spf and .pfh files, folders for -o).

_orvane_cli() {
  local cur prev word command=""
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    case $word in
      to-ascii|from-ascii|power|check|info) command=$word; break ;;
    esac
  done

  case $prev in
    -o|--output-dir)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return ;;
    -j|--jobs)
      return ;;
  esac

  if [[ $cur == -* ]]; then
    local options="-j --jobs -q --quiet --trace --help --version --"
    case $command in
      to-ascii) options+=" --no-headers -o --output-dir --keep-partial" ;;
      from-ascii) options+=" --no-headers -o --output-dir" ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi

  if [[ -z $command ]]; then
    mapfile -t COMPREPLY < <(compgen -W "to-ascii from-ascii power check info" -- "$cur")
    return
  fi

  local pattern='*.@(spf|pfh)'
  case $command in
    to-ascii|power|check|info) pattern='*.spf' ;;
    from-ascii) pattern='*.pfh' ;;
  esac
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -X "!$pattern" -- "$cur"; compgen -d -- "$cur")
}

complete -F _orvane_cli orvane-cli
