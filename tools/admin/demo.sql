-- Demo data for a single workstation: enough rows to try every screen.
-- Loaded by `zelcrm-admin init-db FILE --demo` into a fresh SQLite database,
-- inside one transaction. Names, numbers and places are made up; addresses
-- are from the documentation ranges (RFC 5737) and private networks, mail
-- addresses are under example.com / example.net.
--
-- Value formats are those the client itself writes: complaint times are
-- date-times ('yyyy-MM-dd hh:mm:ss', the unclosed placeholder 4/4/1990
-- 12:00:00 AM stored as 1990-04-04 00:00:00), registration dates 'd-mmm-yy',
-- fault ticket times 'd-mmm-yy h:m AM/PM' with CR LF separated histories.

-- Operators, all signed out. Sign in with CRM_ID and PASSWORD.
INSERT INTO CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) VALUES
    ('Asha Verma', '9876500001', 'INACTIVE', 'asha@123', '10.10.1.21', 'NA'),
    ('Rahul Nair', '9876500002', 'INACTIVE', 'rahul@123', '10.10.1.22', 'NA'),
    ('NOC Admin', '9876500000', 'INACTIVE', 'admin@123', '10.10.1.20', 'NA');

INSERT INTO circle (circle, CBH, CBHM, EMAIL, CGM, CGM_MOBILE, CGM_EMAIL) VALUES
    ('KERALA', 'Thomas Mathew', '9847010001', 'cbh.kerala@zel.example.com',
     'K. Radhakrishnan', '9447020001', 'cgm.kerala@vuva.example.net'),
    ('MAHARASHTRA', 'Sachin Kulkarni', '9822010002', 'cbh.maharashtra@zel.example.com',
     'Vandana Deshmukh', '9422020002', 'cgm.maharashtra@vuva.example.net'),
    ('KARNATAKA', 'Prakash Hegde', '9845010003', 'cbh.karnataka@zel.example.com',
     'Shobha Gowda', '9448020003', 'cgm.karnataka@vuva.example.net');

INSERT INTO ssa (circle, SSA, FE, FE_MOBILE, SDE_BB_MOBILE, SDE_BB_EMAIL, SDE_TX_MOBILE,
                 SDE_TX_EMAIL, GM_MOBILE, GM_EMAIL) VALUES
    ('KERALA', 'ERNAKULAM', 'Biju Joseph', '9847110011', '9447210011',
     'sdebb.ekm@vuva.example.net', '9447310011', 'sdetx.ekm@vuva.example.net',
     '9447410011', 'gm.ekm@vuva.example.net'),
    ('KERALA', 'TRIVANDRUM', 'Anoop Krishnan', '9847110012', '9447210012',
     'sdebb.tvm@vuva.example.net', '9447310012', 'sdetx.tvm@vuva.example.net',
     '9447410012', 'gm.tvm@vuva.example.net'),
    ('MAHARASHTRA', 'PUNE', 'Nitin Pawar', '9822110021', '9422210021',
     'sdebb.pune@vuva.example.net', '9422310021', 'sdetx.pune@vuva.example.net',
     '9422410021', 'gm.pune@vuva.example.net'),
    ('MAHARASHTRA', 'NASHIK', 'Swapnil Jadhav', '9822110022', '9422210022',
     'sdebb.nashik@vuva.example.net', '9422310022', 'sdetx.nashik@vuva.example.net',
     '9422410022', 'gm.nashik@vuva.example.net'),
    ('MAHARASHTRA', 'MUMBAI', 'Farhan Shaikh', '9822110023', '9422210023',
     'sdebb.mumbai@vuva.example.net', '9422310023', 'sdetx.mumbai@vuva.example.net',
     '9422410023', 'gm.mumbai@vuva.example.net'),
    ('KARNATAKA', 'MYSORE', 'Manjunath Rao', '9845110031', '9448210031',
     'sdebb.mysore@vuva.example.net', '9448310031', 'sdetx.mysore@vuva.example.net',
     '9448410031', 'gm.mysore@vuva.example.net');

-- SSA offices: id is the SSA.
INSERT INTO domain (id, dm, ph, [add], dn, circle) VALUES
    ('ERNAKULAM', 'George Varghese', '0484-2371100', 'Telephone Bhavan, MG Road, Kochi 682016',
     'ERNAKULAM', 'KERALA'),
    ('TRIVANDRUM', 'Sreekumar Pillai', '0471-2330100', 'Telecom House, Statue, Thiruvananthapuram 695001',
     'TRIVANDRUM', 'KERALA'),
    ('PUNE', 'Madhuri Joshi', '020-26120100', 'Telephone Exchange, Bajirao Road, Pune 411002',
     'PUNE', 'MAHARASHTRA'),
    ('NASHIK', 'Rajendra Patil', '0253-2570100', 'Telecom Bhavan, College Road, Nashik 422005',
     'NASHIK', 'MAHARASHTRA'),
    ('MUMBAI', 'Anita Kamat', '022-26200100', 'Telephone House, Andheri East, Mumbai 400069',
     'ANDHERI', 'MAHARASHTRA'),
    ('MYSORE', 'Ramesh Urs', '0821-2420100', 'Telecom Complex, Sayyaji Rao Road, Mysuru 570001',
     'MYSORE', 'KARNATAKA');

INSERT INTO engineer (Engineer, Phone, AREA) VALUES
    ('Vishnu Prasad', '9847120001', 'ERNAKULAM'),
    ('Deepak Menon', '9847120002', 'TRIVANDRUM'),
    ('Omkar Shinde', '9822120003', 'PUNE'),
    ('Kiran Bhosale', '9822120004', 'NASHIK'),
    ('Girish Shetty', '9845120005', 'MYSORE');

-- Field engineers; CLUSTER is the SSA they serve.
INSERT INTO fe (circle, ssa, CLUSTER, name, mobile) VALUES
    ('KERALA', 'ERNAKULAM', 'ERNAKULAM', 'Sajan Thomas', '9847130001'),
    ('KERALA', 'ERNAKULAM', 'ERNAKULAM', 'Rijo Paul', '9847130002'),
    ('KERALA', 'TRIVANDRUM', 'TRIVANDRUM', 'Arun Das', '9847130003'),
    ('MAHARASHTRA', 'PUNE', 'PUNE', 'Sagar More', '9822130004'),
    ('MAHARASHTRA', 'PUNE', 'PUNE', 'Amol Gaikwad', '9822130005'),
    ('MAHARASHTRA', 'NASHIK', 'NASHIK', 'Tushar Ahire', '9822130006'),
    ('MAHARASHTRA', 'MUMBAI', 'MUMBAI', 'Imran Qureshi', '9822130007'),
    ('KARNATAKA', 'MYSORE', 'MYSORE', 'Naveen Kumar', '9845130008');

-- Voice providers. NEW, ZTE and UTSTER compose different SIP accounts; MTNL
-- subscribers take their domain from the configuration.
INSERT INTO NGN (ngn_provider, circle, sip_domain, voip_vlan) VALUES
    ('NEW', 'KERALA', 'ims.kl.vuva.example.net', '2301'),
    ('ZTE', 'KERALA', 'zte.kl.vuva.example.net', '2302'),
    ('UTSTER', 'KERALA', 'uts.kl.vuva.example.net', '2303'),
    ('MTNL', 'KERALA', 'sip.mtnl.example.net', '2304'),
    ('NEW', 'MAHARASHTRA', 'ims.mh.vuva.example.net', '2401'),
    ('ZTE', 'MAHARASHTRA', 'zte.mh.vuva.example.net', '2402'),
    ('UTSTER', 'MAHARASHTRA', 'uts.mh.vuva.example.net', '2403'),
    ('MTNL', 'MAHARASHTRA', 'sip.mtnl.example.net', '2404'),
    ('NEW', 'KARNATAKA', 'ims.ka.vuva.example.net', '2501'),
    ('ZTE', 'KARNATAKA', 'zte.ka.vuva.example.net', '2502'),
    ('UTSTER', 'KARNATAKA', 'uts.ka.vuva.example.net', '2503'),
    ('MTNL', 'KARNATAKA', 'sip.mtnl.example.net', '2504');

-- Sites. VLAN is the outer VLAN and the tunnel id of the site's bts row.
INSERT INTO af_site (circle, ssa, site, status, SERVICE, ip, VLAN, [user], LIVE) VALUES
    ('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'ACTIVE', 'FTTH', '192.0.2.11', '1101', '212', 'UP'),
    ('KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'ACTIVE', 'FTTH', '192.0.2.12', '1102', '148', 'DOWN'),
    ('KERALA', 'ERNAKULAM', 'EKM-VYTTILA-AP', 'ACTIVE', 'AF', '198.51.100.11', '1103', '36', 'UP'),
    ('KERALA', 'ERNAKULAM', 'EKM-ALUVA-AP', 'INACTIVE', 'AF', '198.51.100.12', '1104', '0', 'DOWN'),
    ('KERALA', 'TRIVANDRUM', 'TVM-PATTOM-OLT', 'ACTIVE', 'FTTH', '192.0.2.21', '1201', '187', 'UP'),
    ('KERALA', 'TRIVANDRUM', 'TVM-KAZHAKUTTAM-AP', 'ACTIVE', 'AF', '198.51.100.21', '1202', '41', 'UP'),
    ('MAHARASHTRA', 'PUNE', 'PUN-HINJEWADI-OLT', 'ACTIVE', 'FTTH', '192.0.2.31', '2101', '320', 'UP'),
    ('MAHARASHTRA', 'PUNE', 'PUN-KOTHRUD-OLT', 'ACTIVE', 'FTTH', '192.0.2.32', '2102', '265', 'DOWN'),
    ('MAHARASHTRA', 'PUNE', 'PUN-BANER-AP', 'ACTIVE', 'AF', '198.51.100.31', '2103', '52', 'UP'),
    ('MAHARASHTRA', 'NASHIK', 'NSK-CIDCO-OLT', 'ACTIVE', 'FTTH', '192.0.2.41', '2201', '96', 'UP'),
    ('MAHARASHTRA', 'NASHIK', 'NSK-SATPUR-AP', 'ACTIVE', 'AF', '198.51.100.41', '2202', '28', 'DOWN'),
    ('MAHARASHTRA', 'MUMBAI', 'MUM-ANDHERI-2410', 'ACTIVE', 'MTNL', '192.0.2.51', '2301', '74', 'UP'),
    ('KARNATAKA', 'MYSORE', 'MYS-VIJAYNAGAR-OLT', 'ACTIVE', 'FTTH', '192.0.2.61', '3101', '133', 'UP'),
    ('KARNATAKA', 'MYSORE', 'MYS-KUVEMPU-AP', 'INACTIVE', 'AF', '198.51.100.61', '3102', '0', 'DOWN');

-- Site equipment. Rows named 'NA' are free slots a BNG still has.
INSERT INTO bts (ID, CIRCLE, SSA, SSID, BNG, IP, SITE_NAME, EQUIPMENT_TYPE, STATUS, VUVA_EQ,
                 VUVA_IP, VUVA_PORT, VUVA_PORT_TYPE, LMMP, [user], LIVE, CLUSTER) VALUES
    ('1101', 'KERALA', 'ERNAKULAM', 'ZEL-KAKKANAD', 'BNG-KL-EKM-01', '192.0.2.11',
     'EKM-KAKKANAD-OLT', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.11', 'GE 0/1', 'GE OPTICAL',
     'VUVA FTTH', '212', 'UP', 'ERNAKULAM'),
    ('1102', 'KERALA', 'ERNAKULAM', 'ZEL-EDAPPALLY', 'BNG-KL-EKM-01', '192.0.2.12',
     'EKM-EDAPPALLY-OLT', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.12', 'GE 0/2', 'GE OPTICAL',
     'VUVA FTTH', '148', 'DOWN', 'ERNAKULAM'),
    ('1103', 'KERALA', 'ERNAKULAM', 'ZEL-VYTTILA', 'BNG-KL-EKM-01', '198.51.100.11',
     'EKM-VYTTILA-AP', 'AP SECTOR', 'ACTIVE', 'OCLAN', '203.0.113.13', 'FE 4', 'FE ELECTRICAL',
     'DIRECT FROM VUVA PORT', '36', 'UP', 'ERNAKULAM'),
    ('1104', 'KERALA', 'ERNAKULAM', 'ZEL-ALUVA', 'BNG-KL-EKM-01', '198.51.100.12', 'EKM-ALUVA-AP',
     'AP OMNI', 'INACTIVE', 'DSLAM', '203.0.113.14', 'FE 2', 'FE OPTICAL', 'ZEL WIRELESS P2P',
     '0', 'DOWN', 'ERNAKULAM'),
    ('1105', 'KERALA', 'ERNAKULAM', 'NA', 'BNG-KL-EKM-01', '198.51.100.13', 'NA', 'NA', 'NA',
     'NA', 'NA', 'NA', 'NA', 'NA', '0', 'NA', 'NA'),
    ('1106', 'KERALA', 'ERNAKULAM', 'NA', 'BNG-KL-EKM-01', '198.51.100.14', 'NA', 'NA', 'NA',
     'NA', 'NA', 'NA', 'NA', 'NA', '0', 'NA', 'NA'),
    ('1201', 'KERALA', 'TRIVANDRUM', 'ZEL-PATTOM', 'BNG-KL-TVM-01', '192.0.2.21',
     'TVM-PATTOM-OLT', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.21', 'GE 0/1', 'GE OPTICAL',
     'VUVA FTTH', '187', 'UP', 'TRIVANDRUM'),
    ('1202', 'KERALA', 'TRIVANDRUM', 'ZEL-KAZHAKUTTAM', 'BNG-KL-TVM-01', '198.51.100.21',
     'TVM-KAZHAKUTTAM-AP', 'AP SECTOR', 'ACTIVE', 'TYRE-1', '203.0.113.22', 'GE 3',
     'GE ELECTRICAL', 'VIA VUVA TX MEDIA', '41', 'UP', 'TRIVANDRUM'),
    ('1203', 'KERALA', 'TRIVANDRUM', 'NA', 'BNG-KL-TVM-01', '198.51.100.22', 'NA', 'NA', 'NA',
     'NA', 'NA', 'NA', 'NA', 'NA', '0', 'NA', 'NA'),
    ('2101', 'MAHARASHTRA', 'PUNE', 'ZEL-HINJEWADI', 'BNG-MH-PUN-01', '192.0.2.31',
     'PUN-HINJEWADI-OLT', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.31', 'GE 0/1', 'GE OPTICAL',
     'VUVA FTTH', '320', 'UP', 'PUNE'),
    ('2102', 'MAHARASHTRA', 'PUNE', 'ZEL-KOTHRUD', 'BNG-MH-PUN-01', '192.0.2.32',
     'PUN-KOTHRUD-OLT', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.32', 'GE 0/2', 'GE OPTICAL',
     'VUVA FTTH', '265', 'DOWN', 'PUNE'),
    ('2103', 'MAHARASHTRA', 'PUNE', 'ZEL-BANER', 'BNG-MH-PUN-01', '198.51.100.31', 'PUN-BANER-AP',
     'ROUTER', 'ACTIVE', 'TYRE-2', '203.0.113.33', 'GE 5', 'GE ELECTRICAL', 'DIRECT FROM VUVA PORT',
     '52', 'UP', 'PUNE'),
    ('2104', 'MAHARASHTRA', 'PUNE', 'NA', 'BNG-MH-PUN-01', '198.51.100.32', 'NA', 'NA', 'NA',
     'NA', 'NA', 'NA', 'NA', 'NA', '0', 'NA', 'NA'),
    ('2201', 'MAHARASHTRA', 'NASHIK', 'ZEL-CIDCO', 'BNG-MH-NSK-01', '192.0.2.41', 'NSK-CIDCO-OLT',
     'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.41', 'GE 0/1', 'GE OPTICAL', 'VUVA FTTH', '96', 'UP',
     'NASHIK'),
    ('2202', 'MAHARASHTRA', 'NASHIK', 'ZEL-SATPUR', 'BNG-MH-NSK-01', '198.51.100.41',
     'NSK-SATPUR-AP', 'P2P', 'ACTIVE', 'OCLAN', '203.0.113.42', 'FE 1', 'FE OPTICAL',
     'ZEL WIRELESS P2P', '28', 'DOWN', 'NASHIK'),
    ('2203', 'MAHARASHTRA', 'NASHIK', 'NA', 'BNG-MH-NSK-01', '198.51.100.42', 'NA', 'NA', 'NA',
     'NA', 'NA', 'NA', 'NA', 'NA', '0', 'NA', 'NA'),
    ('2301', 'MAHARASHTRA', 'MUMBAI', 'ZEL-ANDHERI', 'BNG-MH-MUM-01', '192.0.2.51',
     'MUM-ANDHERI-2410', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.51', 'GE 0/4', 'GE OPTICAL',
     'VUVA FTTH', '74', 'UP', 'MUMBAI'),
    ('3101', 'KARNATAKA', 'MYSORE', 'ZEL-VIJAYNAGAR', 'BNG-KA-MYS-01', '192.0.2.61',
     'MYS-VIJAYNAGAR-OLT', 'OLT', 'ACTIVE', 'ONU/OLT', '203.0.113.61', 'GE 0/1', 'GE OPTICAL',
     'VUVA FTTH', '133', 'UP', 'MYSORE'),
    ('3102', 'KARNATAKA', 'MYSORE', 'ZEL-KUVEMPU', 'BNG-KA-MYS-01', '198.51.100.61',
     'MYS-KUVEMPU-AP', 'AP OMNI', 'INACTIVE', 'DSLAM', '203.0.113.62', 'FE 3', 'FE ELECTRICAL',
     'DIRECT FROM VUVA PORT', '0', 'DOWN', 'MYSORE'),
    ('3103', 'KARNATAKA', 'MYSORE', 'NA', 'BNG-KA-MYS-01', '198.51.100.62', 'NA', 'NA', 'NA',
     'NA', 'NA', 'NA', 'NA', 'NA', '0', 'NA', 'NA');

-- Inner VLAN pool. ID 'NA' marks a free pair; the assigned ones belong to
-- the subscribers below.
INSERT INTO OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) VALUES
    ('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1101', '101', 'anil.kumar', 'A4:7B:2C:10:01:01', 'ZTEGC8A10101'),
    ('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1101', '102', 'meera.menon', 'A4:7B:2C:10:01:02', 'ZTEGC8A10102'),
    ('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1101', '103', 'NA', 'NA', 'ZTEGC8A10103'),
    ('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1101', '104', 'NA', 'NA', 'ZTEGC8A10104'),
    ('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1101', '105', 'NA', 'NA', 'ZTEGC8A10105'),
    ('KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'FTTH', '1102', '101', 'joseph.kurian', 'A4:7B:2C:10:02:01', 'ZTEGC8A10201'),
    ('KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'FTTH', '1102', '102', 'NA', 'NA', 'ZTEGC8A10202'),
    ('KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'FTTH', '1102', '103', 'NA', 'NA', 'ZTEGC8A10203'),
    ('KERALA', 'ERNAKULAM', 'EKM-VYTTILA-AP', 'AF', '1103', '201', 'shyam.sundar', 'NA', 'MTK-VYT-0201'),
    ('KERALA', 'ERNAKULAM', 'EKM-VYTTILA-AP', 'AF', '1103', '202', 'NA', 'NA', 'MTK-VYT-0202'),
    ('KERALA', 'ERNAKULAM', 'EKM-VYTTILA-AP', 'AF', '1103', '203', 'NA', 'NA', 'MTK-VYT-0203'),
    ('KERALA', 'TRIVANDRUM', 'TVM-PATTOM-OLT', 'FTTH', '1201', '101', 'lekha.nair', 'A4:7B:2C:12:01:01', 'ZTEGC8A20101'),
    ('KERALA', 'TRIVANDRUM', 'TVM-PATTOM-OLT', 'FTTH', '1201', '102', 'NA', 'NA', 'ZTEGC8A20102'),
    ('KERALA', 'TRIVANDRUM', 'TVM-PATTOM-OLT', 'FTTH', '1201', '103', 'NA', 'NA', 'ZTEGC8A20103'),
    ('KERALA', 'TRIVANDRUM', 'TVM-KAZHAKUTTAM-AP', 'AF', '1202', '201', 'NA', 'NA', 'MTK-KZK-0201'),
    ('MAHARASHTRA', 'PUNE', 'PUN-HINJEWADI-OLT', 'FTTH', '2101', '101', 'priya.kulkarni', 'A4:7B:2C:21:01:01', 'HWTC9B210101'),
    ('MAHARASHTRA', 'PUNE', 'PUN-HINJEWADI-OLT', 'FTTH', '2101', '102', 'rohan.patil', 'A4:7B:2C:21:01:02', 'HWTC9B210102'),
    ('MAHARASHTRA', 'PUNE', 'PUN-HINJEWADI-OLT', 'FTTH', '2101', '103', 'NA', 'NA', 'HWTC9B210103'),
    ('MAHARASHTRA', 'PUNE', 'PUN-HINJEWADI-OLT', 'FTTH', '2101', '104', 'NA', 'NA', 'HWTC9B210104'),
    ('MAHARASHTRA', 'PUNE', 'PUN-KOTHRUD-OLT', 'FTTH', '2102', '101', 'NA', 'NA', 'HWTC9B210201'),
    ('MAHARASHTRA', 'PUNE', 'PUN-KOTHRUD-OLT', 'FTTH', '2102', '102', 'NA', 'NA', 'HWTC9B210202'),
    ('MAHARASHTRA', 'PUNE', 'PUN-BANER-AP', 'AF', '2103', '201', 'NA', 'NA', 'MTK-BNR-0201'),
    ('MAHARASHTRA', 'NASHIK', 'NSK-CIDCO-OLT', 'FTTH', '2201', '101', 'sneha.deshpande', 'A4:7B:2C:22:01:01', 'HWTC9B220101'),
    ('MAHARASHTRA', 'NASHIK', 'NSK-CIDCO-OLT', 'FTTH', '2201', '102', 'NA', 'NA', 'HWTC9B220102'),
    ('MAHARASHTRA', 'MUMBAI', 'MUM-ANDHERI-2410', 'MTNL', '2301', '101', 'farida.khan', 'A4:7B:2C:23:01:01', 'ALCL0C230101'),
    ('MAHARASHTRA', 'MUMBAI', 'MUM-ANDHERI-2410', 'MTNL', '2301', '102', 'NA', 'NA', 'ALCL0C230102'),
    ('KARNATAKA', 'MYSORE', 'MYS-VIJAYNAGAR-OLT', 'FTTH', '3101', '101', 'NA', 'NA', 'ZTEGC8A30101'),
    ('KARNATAKA', 'MYSORE', 'MYS-VIJAYNAGAR-OLT', 'FTTH', '3101', '102', 'NA', 'NA', 'ZTEGC8A30102');

-- Voice IP pool. ID 'NA' marks a free address.
INSERT INTO VOIP (CIRCLE, SERVICE, BNG, IP, ID) VALUES
    ('KERALA', 'FTTH', 'BNG-KL-EKM-01', '10.20.11.10', 'anil.kumar'),
    ('KERALA', 'FTTH', 'BNG-KL-EKM-01', '10.20.11.11', 'NA'),
    ('KERALA', 'FTTH', 'BNG-KL-EKM-01', '10.20.11.12', 'NA'),
    ('KERALA', 'FTTH', 'BNG-KL-TVM-01', '10.20.12.10', 'NA'),
    ('KERALA', 'BBOWIFI', 'BNG-KL-EKM-01', '10.20.13.10', 'shyam.sundar'),
    ('KERALA', 'BBOWIFI', 'BNG-KL-EKM-01', '10.20.13.11', 'NA'),
    ('MAHARASHTRA', 'FTTH', 'BNG-MH-PUN-01', '10.30.21.10', 'priya.kulkarni'),
    ('MAHARASHTRA', 'FTTH', 'BNG-MH-PUN-01', '10.30.21.11', 'NA'),
    ('MAHARASHTRA', 'FTTH', 'BNG-MH-NSK-01', '10.30.22.10', 'NA'),
    ('MAHARASHTRA', 'BBOWIFI', 'BNG-MH-PUN-01', '10.30.23.10', 'NA'),
    ('KARNATAKA', 'FTTH', 'BNG-KA-MYS-01', '10.40.31.10', 'NA'),
    ('KARNATAKA', 'BBOWIFI', 'BNG-KA-MYS-01', '10.40.31.11', 'NA');

-- Subscribers: one of every status, one suspended ('Vuva_Susp'), every
-- service. Columns in table order; OTC, nas_ip and [CPE TYPE] hold two
-- values joined by '/'.
INSERT INTO cdata VALUES
    ('anil.kumar', 'Anil Kumar', 'ERNAKULAM', '9846012345', '14/220 Kakkanad West, Kochi 682030',
     'KERALA', '12-Jan-22', '0', 'YES', 'ims.kl.vuva.example.net/2301', 'ZEL_ANIL/anil@2022',
     '919846012345/0000', '1002345678', 'EKM0101', 'active', 'Vuva_FTTH_100M', '04842423456',
     '0', 'anil.kumar@mail.example.com', 'GPON 0/1/1:4', '0', '0', '', '0', 'FTTH', '0',
     'EKM-KAKKANAD-OLT', '04842423456', '12-Jan-22', 'ERNAKULAM'),
    ('meera.menon', 'Meera Menon', 'ERNAKULAM', '9847023456', 'Flat 3B, Skyline Towers, Kakkanad, Kochi 682037',
     'KERALA', '3-Mar-22', '0', 'YES', 'zte.kl.vuva.example.net/2302', 'MEERA_HOME/meera2022',
     '+919847023456/123', '1002345679', 'EKM0102', 'active', 'Vuva_Susp', '04842423457',
     '0', 'meera.menon@mail.example.com', 'GPON 0/1/1:5', '0', '0', '', '0', 'FTTH', '0',
     'EKM-KAKKANAD-OLT', '04842423457', '3-Mar-22', 'ERNAKULAM'),
    ('joseph.kurian', 'Joseph Kurian', 'ERNAKULAM', '9895034567', 'Kurian Villa, Edappally North, Kochi 682024',
     'KERALA', '21-Jul-21', '0', 'NO', 'uts.kl.vuva.example.net/2303', 'KURIAN_NET/jk7788aa',
     '+919895034567/1234', '1002345680', 'EKM0201', 'inactive', 'Vuva_FTTH_50M', '04842534567',
     '0', 'joseph.kurian@mail.example.com', 'GPON 0/1/2:1', '0', '0', '', '0', 'FTTH', '0',
     'EKM-EDAPPALLY-OLT', '04842534567', '21-Jul-21', 'ERNAKULAM'),
    ('shyam.sundar', 'Shyam Sundar', 'ERNAKULAM', '9745045678', '22 Vyttila Junction, Kochi 682019',
     'KERALA', '9-Sep-22', '0', 'YES', 'ims.kl.vuva.example.net/2301', 'SHYAM_AF/shyam@999',
     '10.20.13.10', '1002345681', 'EKM0301', 'active', 'Vuva_BB_30M', '04842345678',
     '0', 'shyam.sundar@mail.example.com', 'ETHER 2', '0', '0', '', '0', 'BBOWIFI', '0',
     'EKM-VYTTILA-AP', '04842345678', '9-Sep-22', 'ERNAKULAM'),
    ('lekha.nair', 'Lekha Nair', 'TRIVANDRUM', '9656056789', 'TC 25/1140, Pattom, Thiruvananthapuram 695004',
     'KERALA', '15-Feb-23', '0', 'YES', 'ims.kl.vuva.example.net/2301', 'LEKHA_WIFI/lekha#2023',
     '919656056789/0000', '1002345682', 'TVM0101', 'active', 'Vuva_FTTH_200M', '04712545678',
     '0', 'lekha.nair@mail.example.com', 'GPON 0/2/1:9', '0', '0', '', '0', 'FTTH', '0',
     'TVM-PATTOM-OLT', '04712545678', '15-Feb-23', 'TRIVANDRUM'),
    ('ravi.pillai', 'Ravi Pillai', 'TRIVANDRUM', '9446067890', 'Pillai House, Kazhakuttam, Thiruvananthapuram 695582',
     'KERALA', '2-Nov-20', '0', 'NO', 'ims.kl.vuva.example.net/2301', 'RAVI_AF/ravi1234',
     '919446067890/0000', '1002345683', 'TVM0201', 'DELETED', 'Vuva_BB_30M', '04712418899',
     '0', 'ravi.pillai@mail.example.com', 'ETHER 1', '0', '0', '', '0', 'AF', '0',
     'TVM-KAZHAKUTTAM-AP', '04712418899', '2-Nov-20', 'TRIVANDRUM'),
    ('priya.kulkarni', 'Priya Kulkarni', 'PUNE', '9822078901', 'B-204 Blue Ridge, Hinjewadi Phase 1, Pune 411057',
     'MAHARASHTRA', '18-Apr-22', '0', 'YES', 'ims.mh.vuva.example.net/2401', 'PRIYA_5G/priya@4321',
     '919822078901/0000', '1003345678', 'PUN0101', 'active', 'Vuva_FTTH_100M', '02067891234',
     '0', 'priya.kulkarni@mail.example.com', 'GPON 0/1/3:2', '0', '0', '', '0', 'FTTH', '0',
     'PUN-HINJEWADI-OLT', '02067891234', '18-Apr-22', 'PUNE'),
    ('rohan.patil', 'Rohan Patil', 'PUNE', '9890089012', '41 Wakad Road, Hinjewadi, Pune 411057',
     'MAHARASHTRA', '6-Jun-22', '0', 'YES', 'zte.mh.vuva.example.net/2402', 'PATIL_HOME/rohan2022',
     '+919890089012/123', '1003345679', 'PUN0102', 'MarkedForDeletion', 'Vuva_FTTH_50M', '02067891235',
     '0', 'rohan.patil@mail.example.com', 'GPON 0/1/3:3', '0', '0', '', '0', 'FTTH', '0',
     'PUN-HINJEWADI-OLT', '02067891235', '6-Jun-22', 'PUNE'),
    ('kavya.joshi', 'Kavya Joshi', 'PUNE', '9970090123', '7 Baner Pashan Link Road, Pune 411045',
     'MAHARASHTRA', '11-Aug-23', '0', 'YES', 'ims.mh.vuva.example.net/2401', 'KAVYA_AF/kavya@777',
     '919970090123/0000', '1003345680', 'PUN0201', 'active', 'Vuva_BB_50M', '02027291234',
     '0', 'kavya.joshi@mail.example.com', 'ETHER 3', '0', '0', '', '0', 'AF', '0',
     'PUN-BANER-AP', '02027291234', '11-Aug-23', 'PUNE'),
    ('sneha.deshpande', 'Sneha Deshpande', 'NASHIK', '9823001234', '12 Pathardi Phata, CIDCO, Nashik 422009',
     'MAHARASHTRA', '27-Dec-21', '0', 'YES', 'uts.mh.vuva.example.net/2403', 'SNEHA_NET/sneha@1212',
     '+919823001234/1234', '1003345681', 'NSK0101', 'active', 'Vuva_FTTH_100M', '02532391234',
     '0', 'sneha.deshpande@mail.example.com', 'GPON 0/1/1:7', '0', '0', '', '0', 'FTTH', '0',
     'NSK-CIDCO-OLT', '02532391234', '27-Dec-21', 'NASHIK'),
    ('farida.khan', 'Farida Khan', 'MUMBAI', '9820012345', '5th Floor, Marol Heights, Andheri East, Mumbai 400059',
     'MAHARASHTRA', '30-Jan-23', '0', 'YES', 'sip.mtnl.example.net/2410', 'FARIDA_HOME/farida#30',
     '912226501234/912226501234', 'mtnl@wan2023', 'MUM0101', 'active', 'Vuva_MTNL_100M', '02226501234',
     '0', 'farida.khan@mail.example.com', 'GPON 0/4/1:1', '0', '0', '', '0', 'MTNL', '0',
     'MUM-ANDHERI-2410', '02226501234', '30-Jan-23', 'MUMBAI'),
    ('naveen.gowda', 'Naveen Gowda', 'MYSORE', '9448023456', '88 Vijayanagar 2nd Stage, Mysuru 570017',
     'KARNATAKA', '14-May-21', '0', 'NO', 'ims.ka.vuva.example.net/2501', 'GOWDA_NET/naveen55',
     '919448023456/0000', '1004345678', 'MYS0101', 'inactive', 'Vuva_FTTH_50M', '08212512345',
     '0', 'naveen.gowda@mail.example.com', 'GPON 0/1/1:2', '0', '0', '', '0', 'FTTH', '0',
     'MYS-VIJAYNAGAR-OLT', '08212512345', '14-May-21', 'MYSORE');

-- Complaints in every state; at most one unclosed per subscriber, as the
-- register enforces. Registration's own rows leave cat and srv empty.
INSERT INTO complain (name, mobile, [issue date], description, status, [close date], ssa, fe,
                      [fe mob], pending, address, [user id], circle, ap, ne, cat, srv) VALUES
    ('Anil Kumar', '9846012345', '2022-01-12 11:20:00', 'NEW CONNECTION CONFIGURATION', 'CLOSED',
     '2022-01-12 11:20:00', 'ERNAKULAM', 'Sajan Thomas 9847130001', '9847130001', 0,
     '14/220 Kakkanad West, Kochi 682030', 'anil.kumar', 'KERALA', 'EKM-KAKKANAD-OLT',
     'Asha Verma', NULL, NULL),
    ('Anil Kumar', '9846012345', '2024-02-05 09:40:00',
     'NO INTERNET ACCESS@5-Feb-24 10:15 AM Update by: Asha Verma@Update: LOS red on ONU, FE informed@5-Feb-24 2:5 PM Closed by: Rahul Nair',
     'CLOSED', '2024-02-05 14:05:00', 'ERNAKULAM', 'Sajan Thomas', '9847130001', 5,
     '14/220 Kakkanad West, Kochi 682030', 'anil.kumar', 'KERALA', 'EKM-KAKKANAD-OLT',
     'Rahul Nair', 'WIRE DOWN', 'FTTH'),
    ('Priya Kulkarni', '9822078901', '2024-03-11 18:05:00',
     'SPEED ISSUE@11-Mar-24 7:30 PM Update by: Rahul Nair@Update: Speed test 12 Mbps on 100 Mbps plan@12-Mar-24 10:45 AM Update by: Asha Verma@Update: Port moved to new PON@12-Mar-24 11:10 AM Closed by: Asha Verma',
     'CLOSED', '2024-03-12 11:10:00', 'PUNE', 'Sagar More', '9822130004', 17,
     'B-204 Blue Ridge, Hinjewadi Phase 1, Pune 411057', 'priya.kulkarni', 'MAHARASHTRA',
     'PUN-HINJEWADI-OLT', 'Asha Verma', 'OTHER', 'FTTH'),
    ('Lekha Nair', '9656056789', '2024-04-02 08:30:00', 'PHONE NOT WORKING', 'NEW',
     '1990-04-04 00:00:00', 'TRIVANDRUM', 'Arun Das', '9847130003', 0,
     'TC 25/1140, Pattom, Thiruvananthapuram 695004', 'lekha.nair', 'KERALA', 'TVM-PATTOM-OLT',
     'NOC Admin', 'NA', 'FTTH'),
    ('Anil Kumar', '9846012345', '2024-04-01 21:05:00',
     'SIGNAL WEAK@1-Apr-24 11:40 PM Update by: Rahul Nair@Update: Rx power -27 dBm, splice suspected',
     'OPEN', '1990-04-04 00:00:00', 'ERNAKULAM', 'Sajan Thomas', '9847130001', 2,
     '14/220 Kakkanad West, Kochi 682030', 'anil.kumar', 'KERALA', 'EKM-KAKKANAD-OLT',
     'Asha Verma', 'WIRE DOWN', 'FTTH'),
    ('Kavya Joshi', '9970090123', '2024-03-30 10:00:00',
     'DEVICE NOT CONNECTED@30-Mar-24 12:0 PM Update by: Asha Verma@Update: CPE not reachable, FE visit planned',
     'OPEN-FE', '1990-04-04 00:00:00', 'PUNE', 'Amol Gaikwad', '9822130005', 26,
     '7 Baner Pashan Link Road, Pune 411045', 'kavya.joshi', 'MAHARASHTRA', 'PUN-BANER-AP',
     'Asha Verma', 'OTHER', 'AF'),
    ('Sneha Deshpande', '9823001234', '2024-03-31 07:15:00',
     'SITE  DOWN@31-Mar-24 8:0 AM Update by: NOC Admin@Update: NSK-CIDCO-OLT uplink down, VUVA informed',
     'SITE-DOWN', '1990-04-04 00:00:00', 'NASHIK', 'Tushar Ahire', '9822130006', 12,
     '12 Pathardi Phata, CIDCO, Nashik 422009', 'sneha.deshpande', 'MAHARASHTRA',
     'NSK-CIDCO-OLT', 'NOC Admin', 'SITE DOWN', 'FTTH'),
    ('Shyam Sundar', '9745045678', '2024-03-29 16:45:00',
     'PHONE NOT WORKING@29-Mar-24 6:20 PM Update by: Rahul Nair@Update: SIP registration failing, voice IP to be changed',
     'VOIP', '1990-04-04 00:00:00', 'ERNAKULAM', 'Rijo Paul', '9847130002', 9,
     '22 Vyttila Junction, Kochi 682019', 'shyam.sundar', 'KERALA', 'EKM-VYTTILA-AP',
     'Rahul Nair', 'VOIP ISSUE', 'BBOWIFI'),
    ('Farida Khan', '9820012345', '2024-01-18 12:30:00',
     'BILLING ISSUE@18-Jan-24 3:10 PM Update by: Asha Verma@Update: Bill copy sent by mail@19-Jan-24 9:5 AM Closed by: NOC Admin',
     'CLOSED', '2024-01-19 09:05:00', 'MUMBAI', 'Imran Qureshi', '9822130007', 21,
     '5th Floor, Marol Heights, Andheri East, Mumbai 400059', 'farida.khan', 'MAHARASHTRA',
     'MUM-ANDHERI-2410', 'NOC Admin', 'BILLING ISSUE', 'MTNL'),
    ('Meera Menon', '9847023456', '2023-12-04 21:05:00',
     'DDOS@4-Dec-23 11:30 PM Update by: Rahul Nair@Update: Traffic blocked at BNG@5-Dec-23 9:15 AM Closed by: Rahul Nair',
     'CLOSED', '2023-12-05 09:15:00', 'ERNAKULAM', 'Rijo Paul', '9847130002', 12,
     'Flat 3B, Skyline Towers, Kakkanad, Kochi 682037', 'meera.menon', 'KERALA',
     'EKM-KAKKANAD-OLT', 'Rahul Nair', 'OTHER', 'FTTH');

-- Fault tickets; histories are CR LF separated.
INSERT INTO BTS_FAULT (CIRCLE, SSA, [SITE NAME], FAULT, [ISSUE DATE], [CLOSE DATE], [DOWN TIME],
                       STATUS, ID, [USER]) VALUES
    ('KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT',
     '1-Apr-24 6:40 AM FAULT OPEN BY: NOC Admin' || char(13) || char(10) || 'FAULT: SITE DOWN'
     || char(13) || char(10) || '04/01/2024 9:15 AM UPDATE BY Asha Verma' || char(13) || char(10)
     || 'UPDATE: Fibre cut near Edappally toll, splicing team on the way',
     '1-Apr-24 6:40 AM', '4/4/1970', '3', 'OPEN', '1102', '148'),
    ('MAHARASHTRA', 'PUNE', 'PUN-KOTHRUD-OLT',
     '2-Apr-24 11:5 AM FAULT OPEN BY: Rahul Nair' || char(13) || char(10) || 'FAULT: LINK FLAPPING',
     '2-Apr-24 11:5 AM', '4/4/1970', '0', 'OPEN', '2102', '265'),
    ('MAHARASHTRA', 'NASHIK', 'NSK-SATPUR-AP',
     '28-Mar-24 4:20 PM FAULT OPEN BY: Asha Verma' || char(13) || char(10) || 'FAULT: AP DOWN'
     || char(13) || char(10) || '03/28/2024 6:0 PM UPDATE BY Asha Verma' || char(13) || char(10)
     || 'UPDATE: Power failure at tower, DG not started',
     '28-Mar-24 4:20 PM', '4/4/1970', '2', 'OPEN', '2202', '28'),
    ('KERALA', 'TRIVANDRUM', 'TVM-KAZHAKUTTAM-AP',
     '15-Mar-24 8:30 AM FAULT OPEN BY: Rahul Nair' || char(13) || char(10) || 'FAULT: BANDWIDTH ISSUE'
     || char(13) || char(10) || '03/15/2024 1:45 PM UPDATE BY Rahul Nair' || char(13) || char(10)
     || 'UPDATE: Uplink saturated, VUVA asked for upgrade' || char(13) || char(10)
     || '03/16/2024 10:0 AM CLOSED BY NOC Admin' || char(13) || char(10)
     || 'UPDATE: Uplink upgraded to 1G',
     '15-Mar-24 8:30 AM', '16-Mar-24 10:0 AM', '5', 'CLOSED', '1202', '41');

-- Outages from the monitoring system, dated around today so the SLA board's
-- open list and its list of yesterday's outages both show rows.
INSERT INTO olt_status (fault_id, circle, SSA, SITE_NAME, equipment, down_time, up_time,
                        TOTAL_TIME_DOWN, rfo, on_the_part_of, status, IP) VALUES
    (101, 'KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'EKM-EDAPPALLY-OLT',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+6 hours', '+40 minutes'),
     NULL, NULL, NULL, NULL, 'OPEN', '192.0.2.12'),
    (102, 'MAHARASHTRA', 'PUNE', 'PUN-KOTHRUD-OLT', 'PUN-KOTHRUD-OLT',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+11 hours', '+5 minutes'),
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+13 hours', '+50 minutes'),
     '2:45', NULL, NULL, 'RESOLVED', '192.0.2.32'),
    (103, 'MAHARASHTRA', 'NASHIK', 'NSK-SATPUR-AP', 'NSK-SATPUR-AP',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-3 days', 'start of day', '+16 hours', '+20 minutes'),
     NULL, NULL, NULL, NULL, 'OPEN', '198.51.100.41'),
    (104, 'KERALA', 'TRIVANDRUM', 'TVM-KAZHAKUTTAM-AP', 'TVM-KAZHAKUTTAM-AP',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-5 days', 'start of day', '+8 hours', '+30 minutes'),
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-5 days', 'start of day', '+10 hours'),
     '1:30', 'POWER FAILURE', 'VUVA', 'CLOSED', '198.51.100.21'),
    (105, 'KERALA', 'TRIVANDRUM', 'TVM-KAZHAKUTTAM-AP', 'TVM-KAZHAKUTTAM-AP',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-2 days', 'start of day', '+19 hours', '+10 minutes'),
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-2 days', 'start of day', '+20 hours'),
     '0:50', 'POWER FAILURE', 'VUVA', 'CLOSED', '198.51.100.21'),
    (106, 'KARNATAKA', 'MYSORE', 'MYS-VIJAYNAGAR-OLT', 'MYS-VIJAYNAGAR-OLT',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+2 hours', '+15 minutes'),
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+3 hours', '+5 minutes'),
     '0:50', 'FIBRE CUT', 'ZEL', 'CLOSED', '192.0.2.61');

-- Two sites that went down twice yesterday, so the default period of the
-- repeated-down search lists them.
INSERT INTO olt_status (fault_id, circle, SSA, SITE_NAME, equipment, down_time, up_time,
                        TOTAL_TIME_DOWN, rfo, on_the_part_of, status, IP) VALUES
    (107, 'KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'EKM-EDAPPALLY-OLT',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+1 hours', '+10 minutes'),
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+2 hours', '+25 minutes'),
     '1:15', 'VUVA UPLINK DOWN', 'VUVA', 'CLOSED', '192.0.2.12'),
    (108, 'KARNATAKA', 'MYSORE', 'MYS-VIJAYNAGAR-OLT', 'MYS-VIJAYNAGAR-OLT',
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+18 hours', '+35 minutes'),
     strftime('%Y-%m-%d %H:%M:00', 'now', 'localtime', '-1 day', 'start of day', '+19 hours', '+5 minutes'),
     '0:30', NULL, NULL, 'RESOLVED', '192.0.2.61');

INSERT INTO AP_RFO (RFO) VALUES
    ('POWER FAILURE'),
    ('FIBRE CUT'),
    ('VUVA UPLINK DOWN'),
    ('EQUIPMENT FAULTY'),
    ('PLANNED MAINTENANCE'),
    ('RAIN FADE');

-- Offline records as the secondary server keeps them.
INSERT INTO offline_user (id, LDR, FS) VALUES
    ('anil.kumar', 'NA', 'OPEN'),
    ('joseph.kurian', 'WIRE DOWN', 'CLOSED'),
    ('sneha.deshpande', 'NA', 'OPEN');
