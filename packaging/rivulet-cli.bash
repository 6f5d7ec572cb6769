# Bash completion of rivulet-cli: its global options, its commands and each command's
# options and words.
_rivulet_cli()
{
    local cur prev
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev="${COMP_WORDS[COMP_CWORD-1]}"
    local commands="info load-observations load-ages clear update next-detections summary models
        fit gof design report sites years releases diagram cohort"

    case "$prev" in
        --db|--sites-config|--counts|--mock|--write|--json|--html|--png|load-observations|load-ages)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --out)
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        --best-by)
            COMPREPLY=($(compgen -W "AIC AICc" -- "$cur"))
            return ;;
        --count-by)
            COMPREPLY=($(compgen -W "free estimable" -- "$cur"))
            return ;;
        --target)
            COMPREPLY=($(compgen -W "final:" -- "$cur"))
            return ;;
    esac

    # The command is the first word that is neither a global option nor its value.
    local i command=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        case "${COMP_WORDS[i]}" in
            --db|--sites-config|--counts|--mock) ((i++)) ;;
            -*) ;;
            *) command="${COMP_WORDS[i]}"; break ;;
        esac
    done

    local words
    case "$command" in
        "") words="--db --sites-config --counts --mock --help --version $commands" ;;
        next-detections) words="--write --help" ;;
        summary) words="--json --help" ;;
        fit) words="--optimizer --model --out --report-model --precision-est --precision-err
            --average --best-by --count-by --profile --chat --help" ;;
        gof) words="--bootstrap --seed --json --help" ;;
        design) words="--model --fish --replicates --seed --target --out --help" ;;
        report) words="releases --html --help" ;;
        sites) words="remove last reset --help" ;;
        years) words="remove --help" ;;
        releases) words="include exclude --help" ;;
        diagram) words="--model --release --png --help" ;;
        cohort) words="all --help" ;;
        clear) words="--yes --help" ;;
        *) words="--help" ;;
    esac
    COMPREPLY=($(compgen -W "$words" -- "$cur"))
}
complete -o default -F _rivulet_cli rivulet-cli
