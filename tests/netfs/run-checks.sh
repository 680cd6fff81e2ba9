# Sourced by scripts/netfs-test once the servers and both guests are up: the
# checks made on each share. Every check adds one line to $run/summary,
# "PASS what: figures" or "FAIL what: why".
#
# On each share (smb, nfs) guest a mounts it twice (a1, a2) and guest b
# twice (b1, b2); each mount is one workstation. NETFS_SHARES and
# NETFS_CHECKS narrow a run down (for instance NETFS_SHARES=smb
# NETFS_CHECKS=stress to repeat one check).

stress_ops=${NETFS_STRESS_OPS:-40}
stress_seed=${NETFS_STRESS_SEED:-$(date +%s)}

pass() { echo "PASS $*" | tee -a "$run/summary"; }
fail() { echo "FAIL $*" | tee -a "$run/summary"; failed=1; }

# The mount options under test; see docs/network-shares.md.
mount_line() {
  local kind=$1 at=$2
  case $kind in
  smb)
    echo "mount -t cifs //10.0.2.2/share $at -o vers=3.1.1,nosharesock,actimeo=0,port=$smb_port,ip=10.0.2.2,username=root,password=netfs,soft"
    ;;
  nfs)
    echo "mount -t nfs4 10.0.2.2:/share $at -o vers=4.2,actimeo=0,lookupcache=none,nosharecache,port=$nfs_port,addr=10.0.2.2,clientaddr=10.0.2.15,soft,timeo=50,retrans=2"
    ;;
  esac
}

# A command run in the guest on the host's file tree, as the host would run it.
in_tree() { echo "chroot /host env TMPDIR=/tmp $*"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

mount_all() {
  local kind=$1 name m
  for name in a b; do
    for m in 1 2; do mkdir -p "$run/mnt/$kind-$name$m"; done
    if ! job "$name" 120 >"$run/mount-$kind-$name.log" 2>&1 <<EOF; then
set -e
$(mount_line "$kind" "/host$run/mnt/$kind-${name}1")
$(mount_line "$kind" "/host$run/mnt/$kind-${name}2")
ls "/host$run/mnt/$kind-${name}1/$kind" "/host$run/mnt/$kind-${name}2/$kind" >/dev/null
EOF
      fail "$kind mount in guest $name: $(tail -3 "$run/mount-$kind-$name.log" | tr '\n' ' ')"
      return 1
    fi
  done
}

unmount_all() {
  local kind=$1 name
  for name in a b; do
    job "$name" 60 >/dev/null 2>&1 <<EOF
umount -f "/host$run/mnt/$kind-${name}1" || umount -l "/host$run/mnt/$kind-${name}1"
umount -f "/host$run/mnt/$kind-${name}2" || umount -l "/host$run/mnt/$kind-${name}2"
EOF
  done
}

# The stress test: prepared on the host, two workstations in each guest
# (one per mount), verified on the host with dpadmin check.
check_stress() {
  local kind=$1 ledgers=$run/ledgers-$kind ja jb t0 t1 ra rb
  mkdir -p "$ledgers"
  local envs="DESKPOST_STRESS_LOGS=$ledgers DESKPOST_STRESS_OPS=$stress_ops DESKPOST_STRESS_SEED=$stress_seed"
  if ! env $envs DESKPOST_STRESS_DIR="$share_dir/$kind" DESKPOST_STRESS_STEP=prepare \
    "$build/tests/stress/stress_test" >"$run/stress-$kind-prepare.log" 2>&1; then
    fail "$kind stress: prepare failed"
    return
  fi
  t0=$(now_ms)
  for name in a b; do
    local first=1
    [ "$name" = b ] && first=3
    n=$(job_start "$name" <<EOF
($(in_tree env $envs DESKPOST_STRESS_STEP=work DESKPOST_STRESS_PROCESSES=1 \
  DESKPOST_STRESS_DIR="$run/mnt/$kind-${name}1/$kind" DESKPOST_STRESS_FIRST=$first \
  "$build/tests/stress/stress_test" --gtest_brief=1)) >"/host$run/stress-$kind-${name}1.log" 2>&1 &
p1=\$!
($(in_tree env $envs DESKPOST_STRESS_STEP=work DESKPOST_STRESS_PROCESSES=1 \
  DESKPOST_STRESS_DIR="$run/mnt/$kind-${name}2/$kind" DESKPOST_STRESS_FIRST=$((first + 1)) \
  "$build/tests/stress/stress_test" --gtest_brief=1)) >"/host$run/stress-$kind-${name}2.log" 2>&1 &
p2=\$!
rc=0
wait \$p1 || rc=1
wait \$p2 || rc=1
exit \$rc
EOF
    )
    [ "$name" = a ] && ja=$n || jb=$n
  done
  job_wait a "$ja" 1500
  ra=$?
  job_wait b "$jb" 1500
  rb=$?
  t1=$(now_ms)
  if ! env $envs DESKPOST_STRESS_DIR="$share_dir/$kind" DESKPOST_STRESS_STEP=verify \
    DESKPOST_STRESS_PROCESSES=4 "$build/tests/stress/stress_test" >"$run/stress-$kind-verify.log" 2>&1 ||
    [ $ra != 0 ] || [ $rb != 0 ]; then
    fail "$kind stress, 2 guests x 2 workstations x $stress_ops operations (seed $stress_seed): see below"
    tail -n 25 "$run"/stress-$kind-*.log | sed 's/^/    /' | tee -a "$run/summary"
    return
  fi
  pass "$kind stress, 2 guests x 2 workstations x $stress_ops operations (seed $stress_seed), dpadmin check clean: $(((t1 - t0) / 1000)) s"
}

# A record held for editing in guest a: guest b can read it at once but can
# neither lock it for editing nor delete it (code 9).
check_record_lock() {
  local kind=$1 office mark=$run/held-$kind n out
  office_a=$run/mnt/$kind-a1/$kind/office
  office_b=$run/mnt/$kind-b1/$kind/office
  n=$(job_start a <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" hold "$office_a" 5 60 "$mark") >"/host$run/hold-$kind.log" 2>&1 &
EOF
  )
  job_wait a "$n" 60
  for _ in $(seq 600); do [ -f "$mark" ] && break; sleep 0.05; done
  if [ ! -f "$mark" ]; then
    fail "$kind record lock: guest a could not hold record 5: $(cat "$run/hold-$kind.log")"
    return
  fi
  out=$(job b 120 <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" contend "$office_b" 5)
EOF
  )
  local rc=$?
  rm -f "$mark"
  if [ $rc = 0 ]; then
    pass "$kind record held for editing on the other client: $(echo "$out" | tr '\n' ';' | sed 's/;$//')"
  else
    fail "$kind record held for editing on the other client: $(echo "$out" | tr '\n' ';')"
  fi
}

# A flag set in guest a is seen by a poll in guest b; the delay is timed on
# the host, from the end of the setting job to the poll's report.
check_flag() {
  local kind=$1 dir_a=$run/mnt/$kind-a1/$kind/office dir_b=$run/mnt/$kind-b2/$kind/office wait_out=$run/flag-$kind.log
  local n t_set t_seen=
  rm -f "$share_dir/$kind/office/7.nam"
  n=$(job_start b <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" flag-wait "$dir_b" 7 30) >"/host$wait_out" 2>&1 &
EOF
  )
  job_wait b "$n" 60
  sleep 1
  n=$(job_start a <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" flag-set "$dir_a" 7)
EOF
  )
  job_wait a "$n" 60 || { fail "$kind flag: setting failed: $(job_output a "$n")"; return; }
  t_set=$(now_ms)
  for _ in $(seq 3000); do
    if grep -q "seen\|not seen" "$wait_out" 2>/dev/null; then
      t_seen=$(now_ms)
      break
    fi
    sleep 0.01
  done
  if grep -q "flag seen" "$wait_out" 2>/dev/null; then
    pass "$kind flag file set on one client seen by the other's poll (20 ms apart) $((t_seen - t_set)) ms after it was set"
  else
    fail "$kind flag file not seen by the other client: $(cat "$wait_out" 2>/dev/null)"
  fi
}

# Costs: appends under the append lock and finds under the index lock, on
# the share and on the guest's own memory disk (the same emulated machine).
check_costs() {
  local kind=$1 out local_out
  mkdir -p "$share_dir/$kind/bench"
  out=$(job a 600 <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" bench "$run/mnt/$kind-a1/$kind/bench" 200)
EOF
  )
  [ $? = 0 ] && grep -q "find" <<<"$out" || { fail "$kind costs: $out"; return; }
  local_out=$(job a 600 <<EOF
mkdir -p /host/tmp/bench
$(in_tree "$build/tests/netfs/netfs_probe" bench /tmp/bench 200)
EOF
  )
  pass "$kind costs in the guest: $(echo "$out" | tr '\n' ';' | sed 's/;$//') (guest memory disk: $(echo "$local_out" | tr '\n' ';' | sed 's/;$//'))"
}

# The server goes away under a polling workstation: its poll reports the
# share lost and start-up fails with an error, neither hangs. When the
# server is back the directory is still sound.
check_lost_share() {
  local kind=$1 dir_a=$run/mnt/$kind-a1/$kind/office out=$run/lost-$kind.log n t0 t1=
  n=$(job_start a <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" flag-set "$dir_a" 8) >/dev/null
$(in_tree "$build/tests/netfs/netfs_probe" lost "$dir_a" 8 120) >"/host$out" 2>&1 &
EOF
  )
  job_wait a "$n" 60
  sleep 1
  t0=$(now_ms)
  if [ "$kind" = smb ]; then stop_server "$smb_pid"; smb_pid=; else stop_server "$nfs_pid"; nfs_pid=; fi
  for _ in $(seq 1300); do
    grep -q "start-up answers\|not seen" "$out" 2>/dev/null && { t1=$(now_ms); break; }
    sleep 0.1
  done
  if [ "$kind" = smb ]; then start_smb; else start_nfs; fi
  if grep -q "start-up answers 0" "$out" 2>/dev/null; then
    pass "$kind lost share: poll and start-up report it $(((t1 - t0))) ms after the server stopped: $(tr '\n' ';' <"$out" | sed 's/;$//')"
  else
    fail "$kind lost share: $(tr '\n' ';' <"$out" 2>/dev/null)"
  fi
  # Back again: the data the workstations were told was stored is there.
  out=$(job b 300 <<EOF
$(in_tree "$build/tools/dpadmin" check "$run/mnt/$kind-b1/$kind/office/")
EOF
  ) && pass "$kind share back: dpadmin check through the other client clean" ||
    fail "$kind share back: dpadmin check through the other client: $(echo "$out" | tail -5 | tr '\n' ';')"
}

# A lock held through one mount still stops the other mount after the
# holder flushed the file: a flush must never release locks.
check_flush_lock() {
  local kind=$1 out
  out=$(job a 120 <<EOF
$(in_tree "$build/tests/netfs/netfs_probe" flush-lock "$run/mnt/$kind-a1/$kind/FLUSH.DAT" "$run/mnt/$kind-a2/$kind/FLUSH.DAT")
EOF
  ) && pass "$kind lock kept over a flush: $(echo "$out" | tr "\n" ";" | sed "s/;$//")" || fail "$kind lock kept over a flush: $out"
}

# Start-up refuses the data directory through an SMB 1.0 mount (its locks do
# not reach the other computers) and opens it through the SMB 3.1.1 one.
check_smb1_refused() {
  local kind=$1 out rc
  [ "$kind" = smb ] || return 0
  mkdir -p "$run/mnt/smb-a3"
  out=$(job a 120 <<EOF
mount -t cifs //10.0.2.2/share "/host$run/mnt/smb-a3" -o vers=1.0,nosharesock,actimeo=0,port=$smb_port,ip=10.0.2.2,username=root,password=netfs,soft || exit 3
$(in_tree "$build/tests/netfs/netfs_probe" open "$run/mnt/smb-a3/smb/office")
rc=\$?
umount -f "/host$run/mnt/smb-a3" || umount -l "/host$run/mnt/smb-a3"
$(in_tree "$build/tests/netfs/netfs_probe" open "$run/mnt/smb-a1/smb/office") || exit 4
exit \$rc
EOF
  )
  rc=$?
  if [ $rc = 1 ] && grep -q "code 1002" <<<"$out"; then
    pass "smb 1.0 mount refused at start-up, 3.1.1 opened: $(echo "$out" | tr '\n' ';' | sed 's/;$//')"
  else
    fail "smb 1.0 mount refused at start-up (status $rc): $(echo "$out" | tr '\n' ';')"
  fi
}

run_checks() {
  failed=0
  : >"$run/summary"
  local kind
  local check
  for kind in ${NETFS_SHARES:-smb nfs}; do
    mkdir -p "$share_dir/$kind"
    say "checks on $kind"
    if mount_all "$kind"; then
      for check in ${NETFS_CHECKS:-flush_lock stress smb1_refused record_lock flag costs lost_share}; do
        "check_$check" "$kind"
      done
    fi
    unmount_all "$kind"
  done
  return $failed
}
