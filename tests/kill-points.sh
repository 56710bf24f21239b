#!/usr/bin/env bash
# Kills the real program at each of its system calls in turn, runs
# "morvelle --recover" on what the killed run left, and checks every trend
# is then byte for byte either as it was before the run or as a clean run
# renames it, with no journal or other file left behind.
#
#   tests/kill-points.sh MORVELLE [EXAMPLES_FOLDER]
#
# An unhindered run under strace gives the calls the program makes after
# its execve. Kill point K is the K-th of them: strace kills the program on
# entering it (-e inject=NAME:signal=SIGKILL:when=N, N counting the calls
# of that NAME alone, as strace counts), and each killed run's log must
# show the same first K calls, ending in the kill.
#
# Every run has a folder of its own (paths of one length, so the program
# makes the same calls in each), written by the shell's printf: starting
# programs is most of the time here, so a kill point starts three (strace,
# the killed program, --recover) and the checks run once over all of them.
#
# MORVELLE_KILL_BATCH_STEP=N  try every N-th kill point of the batch (1)
# MORVELLE_KILL_JOBS=N        kill points run at a time (the cores, up to 4)
# MORVELLE_KILL_KEEP=1        keep the work folder and name it
# Exit status: 0 every trend whole at every kill point, 1 not, 77 strace
# cannot run here (skipped).
set -euo pipefail
shopt -s nullglob dotglob

morvelle=${1:?usage: kill-points.sh MORVELLE [EXAMPLES_FOLDER]}
examples=${2:-$(cd "$(dirname "$0")/.." && pwd)/examples}
batch_step=${MORVELLE_KILL_BATCH_STEP:-1}
jobs=${MORVELLE_KILL_JOBS:-$(nproc 2>/dev/null || echo 2)}
[ "$jobs" -le 4 ] || jobs=4

skip() {
  echo "SKIPPED: $*"
  exit 77
}
command -v strace >/dev/null ||
  skip "strace is not installed (scripts/setup.sh installs it)"
strace -f -qq -o /dev/null true 2>/dev/null ||
  skip "strace cannot trace a program here (ptrace is not permitted)"
# strace 4.16 and later kill on a chosen call; older ones leave it running.
probe_rc=0
(strace -f -qq -o /dev/null -e inject=all:signal=SIGKILL:when=1 true
 exit $?) 2>/dev/null || probe_rc=$?
[ "$probe_rc" -eq 137 ] ||
  skip "this strace cannot kill a program on a chosen call (exit $probe_rc)"

[ -x "$morvelle" ] || { echo "error: no program at '$morvelle'" >&2; exit 1; }
morvelle=$(cd "$(dirname "$morvelle")" && pwd)/$(basename "$morvelle")
example_files=(Trend1.HST Trend1.000 Trend1.001 Trend1.002)
for f in "${example_files[@]}"; do
  [ -f "$examples/$f" ] ||
    { echo "error: no example trend file '$examples/$f'" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/morvelle-kill.XXXXXX")
if [ "${MORVELLE_KILL_KEEP:-0}" = 1 ]; then
  echo "Work folder kept: $work"
else
  trap 'rm -rf "$work"' EXIT
fi

# Each example file as a printf format writing its bytes (one word a
# byte from od), so a run's folder is written without starting cp.
declare -A content
for f in "${example_files[@]}"; do
  # shellcheck disable=SC2046
  printf -v "content[${f#Trend1.}]" '\\x%s' $(od -An -v -tx1 "$examples/$f")
done
mkdir "$work/probe"
# shellcheck disable=SC2059
printf "${content[HST]}" >"$work/probe/Trend1.HST"
cmp -s "$work/probe/Trend1.HST" "$examples/Trend1.HST" ||
  { echo "error: this shell's printf does not copy a file exactly" >&2; exit 1; }

declare -A undo_rows undo_row_of
failures=()
fail() {
  failures+=("$1")
}

# The calls of a strace -f log after the program's execve, "PID NAME" a
# line; a call strace split in two ("<... NAME resumed>") counts once.
call_names() {
  awk '
    !started { if ($2 ~ /^execve\(/ && / = 0$/) started = 1; next }
    $2 ~ /^(\+\+\+|---|<\.\.\.)/ { next }
    { name = $2; sub(/\(.*/, "", name); print $1, name }
  ' "$1"
}

# Checks strace logs of killed runs (named .../kNNNN.log, killed at call
# NNNN) against the unhindered run's calls ($1); "NNNN ok" or "NNNN why".
check_kill_logs() {
  local calls=$1
  shift
  awk -v calls="$calls" '
    BEGIN { while ((getline line < calls) > 0) { split(line, f, " "); want[++n] = f[2] } }
    function report(   k, file) {
      file = current; sub(/.*\/k/, "", file); sub(/\.log$/, "", file)
      k = file + 0
      if (why == "" && !killed) why = "the run was not killed"
      if (why == "" && count != k)
        why = "the run was killed at call " count " (" last "), not at " k
      print file, (why == "" ? "ok" : why)
    }
    FNR == 1 {
      if (current != "") report()
      current = FILENAME; started = 0; count = 0; killed = 0; why = ""; last = ""
    }
    !started { if ($2 ~ /^execve\(/ && / = 0$/) started = 1; next }
    /\+\+\+ killed by SIGKILL \+\+\+/ { killed = 1; next }
    $2 ~ /^(\+\+\+|---|<\.\.\.)/ { next }
    {
      name = $2; sub(/\(.*/, "", name); count++; last = name
      if (why == "" && name != want[count])
        why = "call " count " was " name " where the unhindered run made " want[count]
    }
    END { if (current != "") report() }
  ' "$@"
}

# --- The runs ----------------------------------------------------------
#
# A shape is set in shape_old and shape_new (each trend's base name before
# and after, the same for a rename keeping it), shape_rows (the lines of a
# batch list; none for a single rename), shape_undo (set when the run
# writes an undo list) and shape_args (the program's arguments), where
# @DIR@ stands for the run's trend folder and @RUN@ for its other files.

# Writes the trends' original files into folder $1.
write_trends() {
  local dir=$1 t e
  for t in "${shape_old[@]}"; do
    for e in HST 000 001 002; do
      # shellcheck disable=SC2059
      printf "${content[$e]}" >"$dir/$t.$e"
    done
  done
}

# The arguments for run folder $1 (kNNNN).
run_args() {
  local run=$1 a
  run_argv=()
  for a in "${shape_args[@]}"; do
    a=${a//@DIR@/$run}
    run_argv+=("${a//@RUN@/$run}")
  done
}

# Kills the program at call K ($1) of NAME call N ($2, $3), keeps the
# names it left, then runs --recover; all in files beside the run folder.
kill_run() {
  local k=$1 name=$2 n=$3 run row
  printf -v run '%s/k%04d' "$runs" "$k"
  write_trends "$run"
  if [ ${#shape_rows[@]} -gt 0 ]; then
    for row in "${shape_rows[@]}"; do
      printf '%s\n' "${row//@DIR@/$run}"
    done >"$run.list"
  fi
  run_args "$run"
  # The subshell, not this shell, reports the kill.
  (strace -f -qq -o "$run.log" -e inject="$name":signal=SIGKILL:when="$n" \
          "$morvelle" "${run_argv[@]}" >"$run.out" 2>&1
   exit $?) 2>/dev/null || true
  local left=("$run"/*)
  printf '%s\n' "${left[@]##*/}" >"$run.left"
  local rc=0
  "$morvelle" --recover "$run" >"$run.rec" 2>&1 || rc=$?
  printf '%s\n' "$rc" >"$run.rc"
}

# Runs the kill points listed in $points (lines "K NAME N"), jobs of
# them at a time, each job taking every jobs-th line.
run_kill_points() {
  local j
  for ((j = 0; j < jobs; j++)); do
    (
      local i=0 k name n
      while read -r k name n; do
        if [ $((i % jobs)) -eq "$j" ]; then
          kill_run "$k" "$name" "$n"
        fi
        i=$((i + 1))
      done <"$points"
    ) &
  done
  wait
}

# A folder's files as "NAME HASH" lines of one file per trend (the
# signature of trend I in sig[RUN/I]); what belongs to no trend in
# sig[RUN/stray]. Reads "HASH  PATH" lines of md5sum.
declare -A sig
read_sums() {
  local hash path dir name i old new owner
  while read -r hash path; do
    dir=${path%/*}
    name=${path##*/}
    owner=stray
    for i in "${!shape_old[@]}"; do
      old=${shape_old[$i]}
      new=${shape_new[$i]}
      if [[ $name == "$old".* || $name == "$new".* ]]; then
        owner=$i
        break
      fi
    done
    sig[$dir/$owner]+="$name=$hash "
  done
}

# The undo list of a killed batch, checked against the unhindered run's
# (whose rows name folder k0000). Sets undo_problem when it does not
# parse, and counts renamed trends it leaves out and rows for trends that
# came back as before. An empty list (the kill came between its creation
# and its first line) is counted, not failed, and read as one of no rows.
undo_missing_points=0
undo_missing_ks=()
undo_empty_points=0
undo_empty_ks=()
undo_missing_trends=0
undo_absent_points=0
undo_extra_points=0
check_undo() {
  local run=$1 renamed=$2 k=$3 file=$1.undo line first=1 partial=0 i t
  local -A rows=()
  undo_problem=""
  if [ ! -e "$file" ]; then
    if [[ $renamed == *1* ]]; then
      undo_absent_points=$((undo_absent_points + 1))
      undo_missing_points=$((undo_missing_points + 1))
      undo_missing_ks+=("$k")
      t=${renamed//[!1]/}
      undo_missing_trends=$((undo_missing_trends + ${#t}))
    fi
    return 0
  fi
  if [ ! -s "$file" ]; then
    undo_empty_points=$((undo_empty_points + 1))
    undo_empty_ks+=("$k")
    first=0
  fi
  while IFS= read -r line || { [ -n "$line" ] && partial=1; }; do
    if [ "$first" = 1 ]; then
      first=0
      if [[ $line != "# Morvelle undo list"* ]]; then
        undo_problem="the undo list does not start with '# Morvelle undo list'"
        undo_problem+=" (first line: '${line:0:40}')"
        return 0
      fi
    fi
    [ "$partial" = 1 ] && break
    case $line in '#'* | '') continue ;; esac
    line=${line//"$run"/@DIR@}
    if [ -z "${undo_rows[$line]:-}" ]; then
      undo_problem="the undo list has a row no clean run writes: $line"
      return 0
    fi
    if [ -n "${rows[$line]:-}" ]; then
      undo_problem="the undo list has a row twice: $line"
      return 0
    fi
    rows[$line]=1
  done <"$file"
  if [ "$partial" = 1 ]; then
    undo_problem="the undo list's last row is not whole: '$line'"
    return 0
  fi
  local missing=0 extra=0
  for i in "${!shape_old[@]}"; do
    if [ "${renamed:$i:1}" = 1 ]; then
      [ -n "${rows[${undo_row_of[$i]}]:-}" ] || missing=$((missing + 1))
    else
      [ -z "${rows[${undo_row_of[$i]}]:-}" ] || extra=$((extra + 1))
    fi
  done
  if [ "$missing" -gt 0 ]; then
    undo_missing_points=$((undo_missing_points + 1))
    undo_missing_ks+=("$k")
    undo_missing_trends=$((undo_missing_trends + missing))
  fi
  [ "$extra" -eq 0 ] || undo_extra_points=$((undo_extra_points + 1))
  return 0
}

# How trend I's files in run folder $1 differ from its state $2 (before
# or after), one line.
trend_differences() {
  local got=" ${sig[$1/$3]:-}" want=" ${sig[$2/$3]:-}" entry out=""
  for entry in $want; do
    [[ $got == *" $entry "* ]] && continue
    if [[ $got == *" ${entry%%=*}="* ]]; then
      out+="${entry%%=*} differs; "
    else
      out+="${entry%%=*} missing; "
    fi
  done
  for entry in $got; do
    [[ $want == *" ${entry%%=*}="* ]] || out+="${entry%%=*} is extra; "
  done
  printf '%s' "${out%; }"
}

# The folder the kill left and what --recover did, for a report.
failure_context() {
  local run=$1 names=("$1"/*)
  printf '      left by the kill: %s\n' "$(paste -sd' ' "$run.left")"
  printf '      after recovery:   %s\n' "${names[*]##*/}"
  printf '      --recover (exit %s) said:\n' "$(cat "$run.rc")"
  sed 's/^/        /' "$run.rec"
}

run_shape() {
  local label=$1 step=$2
  runs=$work/$label
  mkdir "$runs"
  # The trends before, and after an unhindered run (folder k0000).
  mkdir "$runs/before" "$runs/k0000"
  write_trends "$runs/before"
  write_trends "$runs/k0000"
  local ref=$runs/k0000 rc=0 row k why
  if [ ${#shape_rows[@]} -gt 0 ]; then
    for row in "${shape_rows[@]}"; do
      printf '%s\n' "${row//@DIR@/$ref}"
    done >"$ref.list"
  fi
  run_args "$ref"
  strace -f -qq -o "$ref.log" "$morvelle" "${run_argv[@]}" >"$ref.out" 2>&1 ||
    rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "error: the unhindered run ($label) failed (exit $rc):" >&2
    cat "$ref.out" >&2
    exit 1
  fi
  call_names "$ref.log" >"$runs/calls"
  if [ "$(cut -d' ' -f1 "$runs/calls" | sort -u | wc -l)" -ne 1 ]; then
    echo "error: the program ran more than one thread or process; the" \
         "kill points count the calls of one" >&2
    exit 1
  fi
  local total
  total=$(wc -l <"$runs/calls")
  # "K NAME N" for the kill points tried: every step-th, and the last.
  points=$runs/points
  awk -v step="$step" -v total="$total" '
    { n[$2]++ }
    (NR - 1) % step == 0 || NR == total { print NR, $2, n[$2] }
  ' "$runs/calls" >"$points"
  local tried
  tried=$(wc -l <"$points")
  local dirs=()
  while read -r k _; do
    printf -v row '%s/k%04d' "$runs" "$k"
    dirs+=("$row")
  done <"$points"
  mkdir "${dirs[@]}"

  run_kill_points

  # Every file of every run, hashed by one program.
  sig=()
  local files=("$runs/before"/* "$ref"/*) dir
  for dir in "${dirs[@]}"; do
    files+=("$dir"/*)
  done
  read_sums < <(md5sum "${files[@]}")
  local i
  for i in "${!shape_old[@]}"; do
    if [ "${sig[$runs/before/$i]:-}" = "${sig[$ref/$i]:-}" ]; then
      echo "error: the unhindered run ($label) left ${shape_old[$i]} unchanged" >&2
      exit 1
    fi
  done
  if [ -n "${sig[$ref/stray]:-}" ]; then
    echo "error: the unhindered run ($label) left ${sig[$ref/stray]}" >&2
    exit 1
  fi
  declare -A kill_check=()
  while read -r k why; do
    kill_check[$((10#$k))]=$why
  done < <(check_kill_logs "$runs/calls" "${dirs[@]/%/.log}")

  # The undo list's rows of the unhindered run, by trend.
  undo_rows=()
  undo_row_of=()
  if [ -n "$shape_undo" ]; then
    local line
    while IFS= read -r line; do
      case $line in '#'* | '') continue ;; esac
      line=${line//"$ref"/@DIR@}
      undo_rows[$line]=1
      for i in "${!shape_new[@]}"; do
        [[ $line == "@DIR@/${shape_new[$i]}.HST,"* ]] && undo_row_of[$i]=$line
      done
    done <"$ref.undo"
    for i in "${!shape_new[@]}"; do
      if [ -z "${undo_row_of[$i]:-}" ]; then
        echo "error: the unhindered run's undo list has no row for" \
             "${shape_new[$i]}" >&2
        exit 1
      fi
    done
  fi

  local as_before=0 renamed_all=0 mixed=0 broken=0 run name n state renamed
  local all_renamed
  all_renamed=$(printf '%*s' ${#shape_old[@]} '' | tr ' ' 1)
  while read -r k name n; do
    printf -v run '%s/k%04d' "$runs" "$k"
    why=${kill_check[$k]:-no strace log}
    if [ "$why" != ok ]; then
      fail "$label K=$k ($name #$n): $why"
      broken=$((broken + 1))
      continue
    fi
    renamed=""
    why=""
    for i in "${!shape_old[@]}"; do
      state=${sig[$run/$i]:-}
      if [ "$state" = "${sig[$runs/before/$i]}" ]; then
        renamed+=0
      elif [ "$state" = "${sig[$ref/$i]}" ]; then
        renamed+=1
      else
        renamed+=x
        why+="${shape_old[$i]} neither as before ($(trend_differences "$run" \
"$runs/before" "$i")) nor renamed ($(trend_differences "$run" "$ref" "$i")); "
      fi
    done
    [ -z "${sig[$run/stray]:-}" ] || why+="left behind: ${sig[$run/stray]}; "
    rc=$(<"$run.rc")
    [ "$rc" -eq 0 ] || why+="--recover exited $rc; "
    if [ -n "$shape_undo" ]; then
      check_undo "$run" "$renamed" "$k"
      [ -z "$undo_problem" ] || why+="$undo_problem; "
    fi
    if [ -n "$why" ]; then
      broken=$((broken + 1))
      fail "$label K=$k ($name #$n): ${why%; }
$(failure_context "$run")"
    elif [[ $renamed != *1* ]]; then
      as_before=$((as_before + 1))
    elif [ "$renamed" = "$all_renamed" ]; then
      renamed_all=$((renamed_all + 1))
    else
      mixed=$((mixed + 1))
    fi
  done <"$points"

  local figure="[ figures ] $label: $tried kill points"
  [ "$step" -eq 1 ] || figure+=" (every ${step}th of $total)"
  figure+=": $as_before as before, $renamed_all renamed"
  [ ${#shape_old[@]} -eq 1 ] || figure+=", $mixed some renamed (each whole)"
  echo "$figure, $broken broken"
}

# A rename to another base name, and one keeping it (only the tag in the
# data-file headers changes).
shape_old=(Trend1) shape_new=(Trend9) shape_rows=() shape_undo=""
shape_args=(@DIR@/Trend1.HST NewTag 'C:\X\Trend9')
run_shape rename 1
shape_old=(Trend1) shape_new=(Trend1) shape_rows=() shape_undo=""
shape_args=(@DIR@/Trend1.HST NewTag 'C:\Ostrel\Data\Trend1')
run_shape tag-only 1

# Three trends (copies of the example under other names) in one batch.
shape_old=(A B C) shape_new=(A2 B2 C2) shape_undo=1
shape_rows=("# Three trends renamed in one run")
for t in "${shape_old[@]}"; do
  shape_rows+=("@DIR@/$t.HST,${t}Tag,C:\\X\\${t}2")
done
shape_args=(--batch @RUN@.list --undo-list @RUN@.undo)
run_shape batch "$batch_step"
echo "[ figures ] batch undo list: $undo_missing_points kill points left" \
     "$undo_missing_trends renamed trends out of it ($undo_absent_points" \
     "with no undo list at all); $undo_empty_points left it empty;" \
     "$undo_extra_points had a row for a trend found as before"
[ "$undo_missing_points" -eq 0 ] ||
  echo "  renamed trends missing from the undo list at K=${undo_missing_ks[*]}"
[ "$undo_empty_points" -eq 0 ] ||
  echo "  undo list left empty at K=${undo_empty_ks[*]}"

if [ ${#failures[@]} -gt 0 ]; then
  echo "FAILED: ${#failures[@]} kill points:"
  printf '  %s\n' "${failures[@]}"
  exit 1
fi
echo "Every kill point left every trend as before or renamed."
