# bash completion for quorvel

_quorvel() {
  local cur prev words cword
  _init_completion || return

  case $prev in
    --capture | --capture-raw)
      _filedir
      return
      ;;
  esac

  # The program takes options alone; they come from its own --help, so they cannot drift.
  COMPREPLY=($(compgen -W '$(_parse_help "$1")' -- "$cur"))
} &&
  complete -F _quorvel quorvel
