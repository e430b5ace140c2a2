"""A script driving the meter through the panel's bridge with PyVISA (pyvisa-py backend), as a
test engineer's script would while the panel runs.

    python3 bridge_pyvisa_client.py PORT

Prints "name: answer" lines; any failure (refused, time-out) ends it with a traceback and a
non-zero exit status.
"""
import sys

import pyvisa

port = int(sys.argv[1])
rm = pyvisa.ResourceManager("@py")
meter = rm.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET",
                         read_termination="\n", write_termination="\n",
                         encoding="utf-8", timeout=5000)
print("idn:", meter.query("*IDN?"))
print("set function:", meter.query("FUNCtion:IMPedance:A R"))
print("reading:", meter.query("FETCH:INT?"))
print("set nominal:", meter.query("COMParator:TOLerance:NOMinal 2.2μ"))
# The meter answers a setting too, so it is sent with query(): the answer is read, not left
# behind for the next question.
print("set speed:", meter.query("APERture SLOW"))
print("speed:", meter.query("APERture?"))
meter.close()
rm.close()
