# Bash completion for flowsvg: its options after "-", a folder after
# --out-dir, the formats after -T, nothing after -j, --port and --scale
# (numbers), and file names everywhere else
# (descriptions, an OUTPUT, the PATH of --sample; after "--" only files).
# Installed as share/bash-completion/completions/flowsvg.

_flowsvg() {
  local cur prev words cword
  _init_completion || return

  local i
  for ((i = 1; i < cword; i++)); do
    if [[ ${words[i]} == -- ]]; then
      _filedir
      return
    fi
  done

  case $prev in
    --out-dir)
      _filedir -d
      return
      ;;
    -j | --jobs | --port | --scale)
      return
      ;;
    -T)
      mapfile -t COMPREPLY < <(compgen -W "svg png pdf" -- "$cur")
      return
      ;;
  esac

  if [[ $cur == -* ]]; then
    local options="-q --quiet -O --out-dir -j --jobs -T --scale --accessible
      --check --watch --serve --port --open --sample --help --version"
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  _filedir
} &&
  complete -F _flowsvg flowsvg

# ex: filetype=sh
