# Sourced by scripts/netfs-test: the SMB and NFS servers of one run, each on
# 127.0.0.1 only, with configuration, state and logs inside the run folder,
# started in a process group of their own and stopped by that group's id.
#
# Needs: run (the run folder), share_dir (the exported folder), smb_port,
# nfs_port. Sets smb_pid and nfs_pid.

smb_pid=
nfs_pid=

start_smb() {
  local d=$run/smb
  mkdir -p "$d"/{lock,state,cache,private,pid,log}
  cat >"$d/smb.conf" <<EOF
[global]
  interfaces = 127.0.0.1
  bind interfaces only = yes
  smb ports = $smb_port
  disable netbios = yes
  # SMB1 only for the check that start-up refuses such a mount; every
  # other mount asks for 3.1.1.
  server min protocol = NT1
  server role = standalone server
  passdb backend = tdbsam:$d/private/passdb.tdb
  lock directory = $d/lock
  state directory = $d/state
  cache directory = $d/cache
  private dir = $d/private
  pid directory = $d/pid
  ncalrpc dir = $d/ncalrpc
  log file = $d/log/smbd.log
  log level = 1
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
  # Byte-range locks are checked on every read and write, and nothing is
  # cached on the clients: several workstations share every file.
  strict locking = yes
  oplocks = no
  level2 oplocks = no
  kernel oplocks = no
  smb2 leases = no
[share]
  path = $share_dir
  read only = no
  force user = root
  create mask = 0666
EOF
  printf '%s\n%s\n' netfs netfs | smbpasswd -c "$d/smb.conf" -s -a root >"$d/log/smbpasswd.log" 2>&1 ||
    return 1
  setsid smbd --foreground --no-process-group --debug-stdout -s "$d/smb.conf" \
    >"$d/log/stdout.log" 2>&1 </dev/null &
  smb_pid=$!
  wait_port "$smb_port" || return 1
}

start_nfs() {
  local d=$run/nfs
  mkdir -p "$d/recovery"
  cat >"$d/ganesha.conf" <<EOF
NFS_CORE_PARAM {
  Protocols = 4;
  NFS_Port = $nfs_port;
  Bind_addr = 127.0.0.1;
  Enable_NLM = false;
  Enable_RQUOTA = false;
}
NFSv4 {
  Graceless = true;
  RecoveryBackend = fs;
  RecoveryRoot = "$d/recovery";
}
EXPORT_DEFAULTS {
  Attr_Expiration_Time = 0;
}
EXPORT {
  Export_Id = 1;
  Path = "$share_dir";
  Pseudo = /share;
  Access_Type = RW;
  Delegations = None;
  Squash = No_Root_Squash;
  SecType = sys;
  Protocols = 4;
  Transports = TCP;
  FSAL { Name = VFS; }
}
LOG {
  Default_Log_Level = WARN;
}
EOF
  setsid ganesha.nfsd -F -f "$d/ganesha.conf" -L "$d/ganesha.log" -p "$d/ganesha.pid" \
    >"$d/stdout.log" 2>&1 </dev/null &
  nfs_pid=$!
  wait_port "$nfs_port" || return 1
}

# Waits up to 20 s for something to listen on 127.0.0.1:port.
wait_port() {
  local i
  for i in $(seq 200); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Stops a server started above: its whole process group (smbd's children
# serve the connections), then waits for it.
stop_server() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill -TERM -- "-$pid" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL -- "-$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}
