# The benchmark's own name server: answers A queries for names below "example" with 127.0.0.1,
# those with a label "slow" only after a delay; anything else with no address. Each question
# is logged on standard output ("query slow|fast <name>").
#   slow_dns.py <address to listen on> <delay in seconds>
import socket, struct, sys, threading, time
addr, delay = sys.argv[1], float(sys.argv[2])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind((addr, 53))
def answer(data, peer):
    qid = data[:2]; q = data[12:]; i = 0; labels = []
    while q[i]: labels.append(q[i+1:i+1+q[i]].decode()); i += 1 + q[i]
    name = ".".join(labels).lower(); qtype = struct.unpack(">H", q[i+1:i+3])[0]; question = q[:i+5]
    slow = ".slow." in "." + name
    print('query', 'slow' if slow else 'fast', name, flush=True)
    if slow: time.sleep(delay)
    if qtype == 1 and name.endswith(".example"):
        resp = qid + b"\x81\x80" + struct.pack(">HHHH", 1, 1, 0, 0) + question + b"\xc0\x0c" + struct.pack(">HHIH", 1, 1, 60, 4) + socket.inet_aton("127.0.0.1")
    else:
        resp = qid + b"\x81\x80" + struct.pack(">HHHH", 1, 0, 0, 0) + question
    s.sendto(resp, peer)
print('listening', flush=True)
while True:
    data, peer = s.recvfrom(512)
    threading.Thread(target=answer, args=(data, peer), daemon=True).start()
