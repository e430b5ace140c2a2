"""A script driving the meter through the panel's bridge with PyVISA (pyvisa-py backend), as a
test engineer's script would while the panel runs.

    python3 bridge_pyvisa_client.py PORT [instrument|all]

instrument: the README's script (write() the settings, query() the readings) with a bad setting
and SYSTem:ERRor?, *OPC? and query_ascii_values; all: the same meter with every reply line
passed back (settings are read with query()). Prints "name: answer" lines; any failure (refused,
time-out, a reply that is no number) ends it with a traceback and a non-zero exit status.
"""
import sys

import pyvisa

port = int(sys.argv[1])
mode = sys.argv[2] if len(sys.argv) > 2 else "instrument"
rm = pyvisa.ResourceManager("@py")
meter = rm.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET",
                         read_termination="\n", write_termination="\n",
                         encoding="utf-8", timeout=5000)
print("idn:", meter.query("*IDN?"))
if mode == "all":
    print("set function:", meter.query("FUNCtion:IMPedance:A R"))
    print("reading:", meter.query("FETCH:INT?"))
    print("set nominal:", meter.query("COMParator:TOLerance:NOMinal 2.2μ"))
    print("set speed:", meter.query("APERture SLOW"))
    print("speed:", meter.query("APERture?"))
    print("error:", meter.query("SYSTem:ERRor?"))  # the meter's own answer
else:
    meter.write("FUNCtion:IMPedance:A R")
    print("reading:", meter.query("FETCH:INT?"))
    meter.write("COMParator:TOLerance:NOMinal 2.2μ")
    for frequency, level, speed in [(1000, 1000, "SLOW"), (10000, 300, "FAST")]:
        meter.write(f"FREQuency:CW {frequency}")
        meter.write(f"VOLTage:LEVel {level}")
        meter.write(f"APERture {speed}")
        print("error:", meter.query("SYSTem:ERRor?"))
        print("frequency:", meter.query_ascii_values("FREQuency:CW?"))
        print("level:", meter.query_ascii_values("VOLTage:LEVel?"))
        print("speed:", meter.query("APERture?"))
        for _ in range(3):
            print("reading:", meter.query("FETCH:INT?"))
    meter.write("FREQuency:CW 123456")  # not a frequency this meter has
    print("bad setting:", meter.query("SYST:ERR?"), meter.query("SYST:ERR?"))
    print("opc:", meter.query("APERture MEDium;*OPC?"))
    print("speed:", meter.query("APERture?"))
meter.close()
rm.close()
