# bash completion for orvane-cli: commands, options (before the command or
# after it), and the file names each command takes (.spf and .pfh files,
# folders for -o). tests/cli/completion_test.sh drives it.

_orvane_cli() {
  local cur prev word command="" operands_only="" i=1
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  # bash splits "--output-dir=DIR" into --output-dir, = and DIR: what
  # follows the "=" is the value of the option before it.
  if [[ $cur == = ]]; then
    cur=""
  elif [[ $prev == = ]] && ((COMP_CWORD >= 3)); then
    prev=${COMP_WORDS[COMP_CWORD-2]}
  fi

  # The program reads options anywhere on the line, so they may come before
  # the command (orvane-cli -o DIR -j 4 to-ascii FILE): the command is the
  # first word that is neither an option nor the value of one.
  while ((i < COMP_CWORD)); do
    word=${COMP_WORDS[i]}
    ((i += 1))
    if [[ -z $operands_only ]]; then
      case $word in
        --) operands_only=1; continue ;;
        -o|--output-dir|--output|-j|--jobs|--tolerance)
          [[ ${COMP_WORDS[i]-} == = ]] && ((i += 1))
          ((i += 1))
          continue ;;
        -[0-9]*) ;; # a number such as a power value, never an option
        -?*) continue ;;
      esac
    fi
    command=$word
    break
  done

  case $prev in
    -o|--output-dir|--output)
      compopt -o filenames 2>/dev/null
      # repair and salvage write a file: -o names it.
      if [[ $command == repair || $command == salvage ]]; then
        mapfile -t COMPREPLY < <(compgen -f -X '!*.spf' -- "$cur"; compgen -d -- "$cur")
      else
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      fi
      return ;;
    -j|--jobs|--tolerance)
      return ;;
  esac

  if [[ $cur == -* && -z $operands_only ]]; then
    local options="-j --jobs -q --quiet --trace --help --version --"
    case $command in
      to-ascii) options+=" --no-headers -o --output-dir --keep-partial --exact" ;;
      from-ascii) options+=" --no-headers -o --output-dir --strict" ;;
      check) options+=" --no-headers --json" ;;
      info|power|stats) options+=" --json" ;;
      diff) options+=" --json --tolerance" ;;
      repair|salvage) options+=" --json -o --output" ;;
      # Before the command, every option is taken.
      "") options+=" --no-headers -o --output-dir --output --keep-partial --exact --strict --json --tolerance" ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi

  if [[ -z $command ]]; then
    mapfile -t COMPREPLY < <(compgen -W "to-ascii from-ascii power check info stats diff repair salvage" -- "$cur")
    return
  fi

  local pattern='*.@(spf|pfh)'
  case $command in
    to-ascii|power|check|info|stats|diff|repair|salvage) pattern='*.spf' ;;
    from-ascii) pattern='*.pfh' ;;
  esac
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -X "!$pattern" -- "$cur"; compgen -d -- "$cur")
}

complete -F _orvane_cli orvane-cli
