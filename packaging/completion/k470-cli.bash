# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for k470-cli: its commands, each command's options, the values of options that take a
# word from a list, and file names of the kinds each command reads.

_k470_cli_commands="info export sample merge percentiles report sdt2wav sdt2txt reprocess levels vibration
infrasound fft rt60 acquire record trigger"

# The options of a command (every command also takes -h/--help and -q/--quiet).
_k470_cli_options() {
    case $1 in
    info) echo "" ;;
    export) echo "--linear --csv -o --output" ;;
    sample) echo "--type --records --seed --vin --sdt -o --output" ;;
    merge) echo "--csv -o --output" ;;
    percentiles) echo "--level --percent --histogram" ;;
    report) echo "--column --config --no-date --no-time --no-vin --no-interval --frequency-names -o --output" ;;
    sdt2wav) echo "--mode --rate --no-normalize --records" ;;
    sdt2txt) echo "--records" ;;
    reprocess) echo "--preset --decimation -o --output" ;;
    levels) echo "--interval --channel --records --start --length --scale --calibration --csv -o --output" ;;
    vibration) echo "--kind --interval --channels --records --start --length --scale --csv --summary --exposure -o --output" ;;
    infrasound) echo "--interval --channel --records --start --length --scale --calibration --csv -o --output" ;;
    fft) echo "--size --window --overlap --average --psd --channel --record --start --length --scale --calibration" ;;
    rt60) echo "--bands --channel --record --start --length" ;;
    acquire) echo "--tcp --bind --port --usb --period --count --trigger -o --output" ;;
    record) echo "--usb --preset --seconds --frames --marker-every -o --output" ;;
    trigger) echo "" ;;
    esac
}

# The files a command reads, as a glob of extensions.
_k470_cli_inputs() {
    case $1 in
    info) echo '@(bin|BIN|sdt|SDT)' ;;
    export | merge | percentiles | report) echo '@(bin|BIN)' ;;
    sdt2wav | sdt2txt | reprocess) echo '@(sdt|SDT)' ;;
    levels | vibration | infrasound | fft | rt60) echo '@(sdt|SDT|wav|WAV|flac|FLAC)' ;;
    *) echo '' ;;
    esac
}

_k470_cli() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -n = || return
    else
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    fi

    local command="" i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            command=${words[i]}
            break
        fi
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$_k470_cli_commands --help --version -V" -- "$cur"))
        return
    fi

    # Values of the option before the cursor.
    case $prev in
    -o | --output | --config | --calibration)
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --mode) COMPREPLY=($(compgen -W "separate channel record" -- "$cur")) && return ;;
    --rate) COMPREPLY=($(compgen -W "device 24000 48000" -- "$cur")) && return ;;
    --records) COMPREPLY=($(compgen -W "all" -- "$cur")) && return ;;
    --window) COMPREPLY=($(compgen -W "rect hann flattop blackman-harris" -- "$cur")) && return ;;
    --average) COMPREPLY=($(compgen -W "linear exponential max" -- "$cur")) && return ;;
    --bands) COMPREPLY=($(compgen -W "octave third" -- "$cur")) && return ;;
    --size) COMPREPLY=($(compgen -W "256 512 1024 2048 4096 8192 16384 32768 65536" -- "$cur")) && return ;;
    --sdt) COMPREPLY=($(compgen -W "calibrator pink events room vibration whole-body hand-arm" -- "$cur")) && return ;;
    --kind) COMPREPLY=($(compgen -W "whole-body hand-arm" -- "$cur")) && return ;;
    --usb)
        # The device is optional: offer the USB serial devices, and the options after it.
        if [[ $cur != -* ]]; then
            COMPREPLY=($(compgen -G "/dev/ttyUSB*" -- "$cur"))
            return
        fi
        ;;
    --type | --records | --seed | --vin | --level | --percent | --column | --preset | --decimation | \
        --interval | --channel | --scale | --overlap | --record | --start | --length | --tcp | --bind | \
        --port | --period | --count | --seconds | --frames | --marker-every)
        return
        ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_k470_cli_options "$command") -h --help -q --quiet" -- "$cur"))
        return
    fi
    local inputs
    inputs=$(_k470_cli_inputs "$command")
    if [[ -n $inputs ]]; then
        local IFS=$'\n'
        # Directories, and the files of the kinds the command reads.
        COMPREPLY=($(compgen -d -- "$cur") $(shopt -s extglob; compgen -f -X "!*.$inputs" -- "$cur"))
        compopt -o filenames 2>/dev/null
    fi
}

complete -F _k470_cli k470-cli
